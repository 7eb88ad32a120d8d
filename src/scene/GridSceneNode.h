#pragma once
// The editor's ground grid: one scene node holding an ordered list of line
// grids in its local XZ plane, plus an invisible pick plane across their box
// so that collision queries meet one flat plane instead of the lines.
#include <irrlicht.h>
#include <limits>

namespace sorn {

class CGridSceneNode : public irr::scene::ISceneNode {
public:
    // One rectangular line grid at its own height, spacing, size and colour.
    class SGrid {
    public:
        SGrid();
        // Copies settings and material only; the copy rebuilds its own lines.
        SGrid(const SGrid& other);
        SGrid& operator=(const SGrid& other);
        ~SGrid();

        void setVisible(bool visible);
        bool isVisible() const { return IsVisible; }
        void setCornerAligned(irr::u32 cornerAligned);
        irr::u32 getCornerAligned() const { return CornerAligned; }
        void setSpacing(irr::f32 spacing);
        irr::f32 getSpacing() const { return Spacing; }
        void setSize(const irr::core::dimension2df& size);
        const irr::core::dimension2df& getSize() const { return Size; }
        void setOffset(const irr::core::vector3df& offset);
        const irr::core::vector3df& getOffset() const { return Offset; }
        void setGridColor(irr::video::SColor color);
        irr::video::SColor getGridColor() const { return GridColor; }
        // The camera-distance limit changes no geometry, so it leaves the grid clean.
        void setMaxDistance(irr::f32 maxDistance) { MaxDistance = maxDistance; }
        irr::f32 getMaxDistance() const { return MaxDistance; }

        irr::video::SMaterial& getMaterial();
        const irr::core::aabbox3df& getBoundingBox() const;
        bool isDirty() const { return IsDirty; }
        const irr::scene::IDynamicMeshBuffer& getMeshBuffer() const { return *MeshBuffer; }

        // The outermost line positions (X, Z) the grid draws, offset included.
        void getLineExtents(irr::core::vector2df& min, irr::core::vector2df& max) const;
        // Whether this grid may draw its line at `position` (an X coordinate
        // when alongX, else a Z coordinate): false when a visible coarser grid
        // of `owner` draws a line within 0.1 units of it.
        bool isLineFree(irr::f32 position, bool alongX, const CGridSceneNode* owner) const;
        // True when the size and spacing give a line set that 16-bit indices
        // can reach; otherwise the grid stays empty.
        bool canBuildLines() const;
        void regenerate(const CGridSceneNode* owner);
        void render(irr::video::IVideoDriver* driver);
        void appendLines(irr::core::array<irr::core::line2df>& lines,
                         const irr::core::matrix4* transform = nullptr) const;

    private:
        friend class CGridSceneNode;
        void copySettingsFrom(const SGrid& other);

        bool IsVisible = true;
        irr::u32 CornerAligned = 0;
        irr::f32 Spacing = 8.f;
        irr::core::dimension2df Size{2048.f, 2048.f};
        irr::core::vector3df Offset{0.f, 0.f, 0.f};
        irr::video::SColor GridColor{0xFF808080};
        irr::f32 MaxDistance = std::numeric_limits<irr::f32>::max();
        bool IsDirty = true;
        bool BoundsChanged = true;
        irr::scene::CDynamicMeshBuffer* MeshBuffer = nullptr;
    };

    CGridSceneNode(irr::scene::ISceneNode* parent, irr::scene::ISceneManager* mgr,
                   irr::s32 id = -1, irr::u32 gridCount = 1);
    ~CGridSceneNode() override;

    void OnRegisterSceneNode() override;
    void render() override;
    const irr::core::aabbox3df& getBoundingBox() const override { return Box; }
    irr::video::SMaterial& getMaterial(irr::u32 i) override;
    irr::u32 getMaterialCount() const override { return Grids.size(); }
    irr::scene::ISceneNode* clone(irr::scene::ISceneNode* newParent = nullptr,
                                  irr::scene::ISceneManager* newManager = nullptr) override;

    irr::u32 addGrid();
    // No range test: callers pass an index below getGridCount().
    SGrid& getGrid(irr::u32 index) { return Grids[index]; }
    irr::u32 getGridCount() const { return Grids.size(); }
    void setGridsSize(const irr::core::dimension2df& size);
    const irr::core::dimension2df& getGridsSize() const { return GridsSize; }
    // Hides every grid whose plane the active camera is farther above than
    // the grid's MaxDistance; an orthogonal camera sees every grid.
    void updateVisibility();

    // Sets Box to the union of the grids' boxes (both corners at the largest
    // f32 without grids), clears their BoundsChanged and rebuilds the pick plane.
    void recalculateBox();
    const irr::scene::IDynamicMeshBuffer& getPickBuffer() const { return *PickBuffer; }
    void showPickPlaneOnce() { ShowPickPlane = true; }

private:
    void rebuildPickPlane();

    irr::scene::SMesh* PickMesh = nullptr;
    irr::scene::CDynamicMeshBuffer* PickBuffer = nullptr;
    bool ShowPickPlane = false;
    irr::core::aabbox3df Box{-1.f, -1.f, -1.f, 1.f, 1.f, 1.f};
    irr::core::dimension2df GridsSize{0.f, 0.f};
    irr::core::array<SGrid> Grids;
};

} // namespace sorn
