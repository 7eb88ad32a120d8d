#include "scene/AxisLineSceneNodes.h"

namespace sorn {

using namespace irr;

AxisLineSceneNode::AxisLineSceneNode(scene::ISceneNode* parent, scene::ISceneManager* mgr, s32 id,
                                     const core::vector3df& position, const core::vector3df& rotation,
                                     const core::vector3df& scale, const core::vector3df& axis)
    : scene::ISceneNode(parent, mgr, id, position, rotation, scale) {
    Material.Wireframe = false;
    Material.Lighting = false;
    Start = axis * Length;
    End = axis * -Length;
}

void AxisLineSceneNode::OnRegisterSceneNode() {
    if (IsVisible && SceneManager)
        SceneManager->registerNodeForRendering(this, scene::ESNRP_AUTOMATIC);
    scene::ISceneNode::OnRegisterSceneNode();
}

void AxisLineSceneNode::render() {
    video::IVideoDriver* driver = SceneManager ? SceneManager->getVideoDriver() : nullptr;
    if (!driver)
        return;
    driver->setMaterial(Material);
    driver->setTransform(video::ETS_WORLD, AbsoluteTransformation);
    driver->draw3DLine(Start, End, getLineColor());
}

XLineSceneNode::XLineSceneNode(scene::ISceneNode* parent, scene::ISceneManager* mgr, s32 id,
                               const core::vector3df& position, const core::vector3df& rotation,
                               const core::vector3df& scale)
    : AxisLineSceneNode(parent, mgr, id, position, rotation, scale, core::vector3df(1.f, 0.f, 0.f)) {}

YLineSceneNode::YLineSceneNode(scene::ISceneNode* parent, scene::ISceneManager* mgr, s32 id,
                               const core::vector3df& position, const core::vector3df& rotation,
                               const core::vector3df& scale)
    : AxisLineSceneNode(parent, mgr, id, position, rotation, scale, core::vector3df(0.f, 1.f, 0.f)) {}

ZLineSceneNode::ZLineSceneNode(scene::ISceneNode* parent, scene::ISceneManager* mgr, s32 id,
                               const core::vector3df& position, const core::vector3df& rotation,
                               const core::vector3df& scale)
    : AxisLineSceneNode(parent, mgr, id, position, rotation, scale, core::vector3df(0.f, 0.f, 1.f)) {}

} // namespace sorn
