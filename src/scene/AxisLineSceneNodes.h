#pragma once
// The gizmo's axis lines: a very long line through the node's origin along
// one local axis, drawn in that axis's colour.
#include <irrlicht.h>

namespace sorn {

// The layout the three line classes share; each class fixes its axis and colour.
class AxisLineSceneNode : public irr::scene::ISceneNode {
public:
    void OnRegisterSceneNode() override;
    void render() override;
    // A unit box, not the line's: the line is culled with its origin.
    const irr::core::aabbox3df& getBoundingBox() const override { return Box; }
    irr::video::SMaterial& getMaterial(irr::u32 i) override { return Material; }
    irr::u32 getMaterialCount() const override { return 1; }

    irr::f32 getLength() const { return Length; }
    const irr::core::vector3df& getStart() const { return Start; }
    const irr::core::vector3df& getEnd() const { return End; }
    virtual irr::video::SColor getLineColor() const = 0;

protected:
    AxisLineSceneNode(irr::scene::ISceneNode* parent, irr::scene::ISceneManager* mgr, irr::s32 id,
                      const irr::core::vector3df& position, const irr::core::vector3df& rotation,
                      const irr::core::vector3df& scale, const irr::core::vector3df& axis);

private:
    irr::core::aabbox3df Box{-1.f, -1.f, -1.f, 1.f, 1.f, 1.f};
    irr::video::SMaterial Material;
    irr::f32 Length = 1000000.f;
    irr::core::vector3df Start;
    irr::core::vector3df End;
};

// Blue, along X.
class XLineSceneNode : public AxisLineSceneNode {
public:
    XLineSceneNode(irr::scene::ISceneNode* parent, irr::scene::ISceneManager* mgr, irr::s32 id = -1,
                   const irr::core::vector3df& position = irr::core::vector3df(0.f, 0.f, 0.f),
                   const irr::core::vector3df& rotation = irr::core::vector3df(0.f, 0.f, 0.f),
                   const irr::core::vector3df& scale = irr::core::vector3df(1.f, 1.f, 1.f));
    irr::video::SColor getLineColor() const override { return irr::video::SColor(0xFF0000FF); }
};

// Yellow, along Y.
class YLineSceneNode : public AxisLineSceneNode {
public:
    YLineSceneNode(irr::scene::ISceneNode* parent, irr::scene::ISceneManager* mgr, irr::s32 id = -1,
                   const irr::core::vector3df& position = irr::core::vector3df(0.f, 0.f, 0.f),
                   const irr::core::vector3df& rotation = irr::core::vector3df(0.f, 0.f, 0.f),
                   const irr::core::vector3df& scale = irr::core::vector3df(1.f, 1.f, 1.f));
    irr::video::SColor getLineColor() const override { return irr::video::SColor(0xFFFFFF00); }
};

// Red, along Z.
class ZLineSceneNode : public AxisLineSceneNode {
public:
    ZLineSceneNode(irr::scene::ISceneNode* parent, irr::scene::ISceneManager* mgr, irr::s32 id = -1,
                   const irr::core::vector3df& position = irr::core::vector3df(0.f, 0.f, 0.f),
                   const irr::core::vector3df& rotation = irr::core::vector3df(0.f, 0.f, 0.f),
                   const irr::core::vector3df& scale = irr::core::vector3df(1.f, 1.f, 1.f));
    irr::video::SColor getLineColor() const override { return irr::video::SColor(0xFFFF0000); }
};

} // namespace sorn
