#include "scene/GridSceneNode.h"

#include <cmath>

namespace sorn {

using namespace irr;

namespace {

// 16-bit indices reach at most this many vertices.
constexpr s64 kMaxGridVertices = 65535;
// Any line count at or above this fails the vertex limit anyway; testing the
// quotient against it first keeps the integer conversion defined.
constexpr f32 kLineCountLimit = 65536.f;

// Truncation toward zero for a line count. NaN and values outside the s32
// range have no integer reading (converting them is undefined), so they
// count as no lines.
s32 truncToS32(f32 value) {
    if (!(std::fabs(value) < 2147483648.f))
        return 0;
    return static_cast<s32>(value);
}

void setLineMaterial(video::SMaterial& material) {
    material.Wireframe = false;
    material.Lighting = false;
    material.Thickness = 1.f;
    material.FogEnable = false;
    material.ZWriteEnable = true;
    material.ZBuffer = video::ECFN_LESSEQUAL;
    material.BackfaceCulling = true;
    material.AntiAliasing = video::EAAM_OFF;
}

} // namespace

// ---------------------------------------------------------------- SGrid

CGridSceneNode::SGrid::SGrid()
    : MeshBuffer(new scene::CDynamicMeshBuffer(video::EVT_STANDARD, video::EIT_16BIT)) {
    setLineMaterial(MeshBuffer->Material);
}

CGridSceneNode::SGrid::SGrid(const SGrid& other) : SGrid() {
    copySettingsFrom(other);
}

CGridSceneNode::SGrid& CGridSceneNode::SGrid::operator=(const SGrid& other) {
    if (this != &other)
        copySettingsFrom(other);
    return *this;
}

CGridSceneNode::SGrid::~SGrid() {
    MeshBuffer->drop();
}

void CGridSceneNode::SGrid::copySettingsFrom(const SGrid& other) {
    IsVisible = other.IsVisible;
    CornerAligned = other.CornerAligned;
    Spacing = other.Spacing;
    Size = other.Size;
    Offset = other.Offset;
    GridColor = other.GridColor;
    MaxDistance = other.MaxDistance;
    MeshBuffer->Material = other.MeshBuffer->Material;
    IsDirty = true;
}

void CGridSceneNode::SGrid::setVisible(bool visible) {
    IsVisible = visible;
    IsDirty = true;
}

void CGridSceneNode::SGrid::setCornerAligned(u32 cornerAligned) {
    CornerAligned = cornerAligned;
    IsDirty = true;
}

void CGridSceneNode::SGrid::setSpacing(f32 spacing) {
    Spacing = spacing;
    IsDirty = true;
}

void CGridSceneNode::SGrid::setSize(const core::dimension2df& size) {
    Size = size;
    IsDirty = true;
}

void CGridSceneNode::SGrid::setOffset(const core::vector3df& offset) {
    Offset = offset;
    IsDirty = true;
}

void CGridSceneNode::SGrid::setGridColor(video::SColor color) {
    GridColor = color;
    IsDirty = true;
}

video::SMaterial& CGridSceneNode::SGrid::getMaterial() {
    return MeshBuffer->Material;
}

const core::aabbox3df& CGridSceneNode::SGrid::getBoundingBox() const {
    return MeshBuffer->getBoundingBox();
}

void CGridSceneNode::SGrid::getLineExtents(core::vector2df& min, core::vector2df& max) const {
    const f32 w = Size.Width;
    const f32 h = Size.Height;
    const f32 s = Spacing;
    if (CornerAligned == 0) {
        // Symmetric about the centre: one line passes through it.
        max.X = s * truncToS32((w * 0.5f) / s);
        max.Y = s * truncToS32((h * 0.5f) / s);
        min.X = -max.X;
        min.Y = -max.Y;
    } else {
        min.X = -w * 0.5f;
        min.Y = -h * 0.5f;
        max.X = -w * 0.5f + s * truncToS32(w / s);
        max.Y = -h * 0.5f + s * truncToS32(h / s);
    }
    min.X += Offset.X;
    max.X += Offset.X;
    min.Y += Offset.Z;
    max.Y += Offset.Z;
}

bool CGridSceneNode::SGrid::isLineFree(f32 position, bool alongX, const CGridSceneNode* owner) const {
    if (!owner)
        return true;
    for (u32 i = 0; i < owner->Grids.size(); ++i) {
        const SGrid& coarse = owner->Grids[i];
        if (&coarse == this || !(coarse.Spacing > Spacing) || !coarse.IsVisible)
            continue;
        // A grid that draws nothing covers nothing.
        if (!coarse.canBuildLines())
            continue;
        core::vector2df min, max;
        coarse.getLineExtents(min, max);
        const f32 d = std::fabs(position - (alongX ? min.X : min.Y));
        const f32 r = std::fmod(d + 0.1f, coarse.Spacing);
        if (r >= -0.2f && r <= 0.2f)
            return false;
    }
    return true;
}

bool CGridSceneNode::SGrid::canBuildLines() const {
    const f32 s = Spacing;
    const f32 w = Size.Width;
    const f32 h = Size.Height;
    // Written so that NaN fails every test.
    if (!(s > 0.f) || !std::isfinite(s) || !(w > 0.f) || !(h > 0.f))
        return false;
    const f32 qx = w / s;
    const f32 qz = h / s;
    if (!(qx < kLineCountLimit) || !(qz < kLineCountLimit))
        return false;
    const s64 nx = static_cast<s64>(qx);
    const s64 nz = static_cast<s64>(qz);
    return (nx + nz + 2) * 2 <= kMaxGridVertices;
}

void CGridSceneNode::SGrid::regenerate(const CGridSceneNode* owner) {
    IsDirty = false;
    scene::IVertexBuffer& vertices = MeshBuffer->getVertexBuffer();
    scene::IIndexBuffer& indices = MeshBuffer->getIndexBuffer();
    vertices.set_used(0);
    indices.set_used(0);
    MeshBuffer->setDirty(scene::EBT_VERTEX_AND_INDEX);

    // Too many lines for 16-bit indices, or a size or spacing that gives
    // no lines at all: the grid stays empty and the node keeps its box.
    if (!canBuildLines())
        return;

    core::vector2df min, max;
    getLineExtents(min, max);
    const f32 s = Spacing;
    const core::vector3df start = core::vector3df(-Size.Width * 0.5f, 0.f, -Size.Height * 0.5f) + Offset;
    const core::vector3df end = core::vector3df(Size.Width * 0.5f, 0.f, Size.Height * 0.5f) + Offset;
    const core::vector3df normal(0.f, 1.f, 0.f);

    u32 k = 0;
    auto appendLine = [&](const core::vector3df& a, const core::vector3df& b) {
        vertices.push_back(video::S3DVertex(a, normal, GridColor, core::vector2df(0.f, 0.f)));
        vertices.push_back(video::S3DVertex(b, normal, GridColor, core::vector2df(0.f, 0.f)));
        indices.push_back(k);
        indices.push_back(k + 1);
        k += 2;
    };
    // The line count check bounds both loops; the extra tests only make sure
    // a loop ends even if its step stops advancing or the bound is exceeded.
    auto roomForLine = [&]() { return static_cast<s64>(vertices.size()) + 2 <= kMaxGridVertices; };

    // Lines running along Z, one per X position.
    for (f32 t = 0.f; t <= max.X - min.X && roomForLine();) {
        const f32 x = min.X + t;
        if (isLineFree(x, true, owner))
            appendLine(core::vector3df(x, start.Y, start.Z), core::vector3df(x, end.Y, end.Z));
        const f32 next = t + s;
        if (!(next > t))
            break;
        t = next;
    }
    // Lines running along X, one per Z position.
    for (f32 t = 0.f; t <= max.Y - min.Y && roomForLine();) {
        const f32 z = min.Y + t;
        if (isLineFree(z, false, owner))
            appendLine(core::vector3df(start.X, start.Y, z), core::vector3df(end.X, end.Y, z));
        const f32 next = t + s;
        if (!(next > t))
            break;
        t = next;
    }

    // The box spans the full size, one unit thick, even where no line lies.
    MeshBuffer->setBoundingBox(core::aabbox3df(
        core::vector3df(-Size.Width * 0.5f, -0.5f, -Size.Height * 0.5f) + Offset,
        core::vector3df(Size.Width * 0.5f, 0.5f, Size.Height * 0.5f) + Offset));
    BoundsChanged = true;
}

void CGridSceneNode::SGrid::render(video::IVideoDriver* driver) {
    const scene::IVertexBuffer& vertices = MeshBuffer->getVertexBuffer();
    const scene::IIndexBuffer& indices = MeshBuffer->getIndexBuffer();
    if (vertices.size() == 0)
        return;
    driver->setMaterial(MeshBuffer->Material);
    driver->drawVertexPrimitiveList(MeshBuffer->getVertexBuffer().getData(), vertices.size(),
                                    MeshBuffer->getIndexBuffer().getData(), vertices.size() / 2,
                                    vertices.getType(), scene::EPT_LINES, indices.getType());
}

void CGridSceneNode::SGrid::appendLines(core::array<core::line2df>& lines, const core::matrix4* transform) const {
    const scene::IVertexBuffer& vertices = MeshBuffer->getVertexBuffer();
    const u32 lineCount = vertices.size() / 2;
    for (u32 i = 0; i < lineCount; ++i) {
        core::vector3df a = vertices[2 * i].Pos;
        core::vector3df b = vertices[2 * i + 1].Pos;
        if (transform) {
            transform->transformVect(a);
            transform->transformVect(b);
        }
        lines.push_back(core::line2df(a.X, a.Z, b.X, b.Z));
    }
}

// ---------------------------------------------------------------- node

CGridSceneNode::CGridSceneNode(scene::ISceneNode* parent, scene::ISceneManager* mgr, s32 id, u32 gridCount)
    : scene::ISceneNode(parent, mgr, id, core::vector3df(0.f, 0.f, 0.f), core::vector3df(0.f, 0.f, 0.f),
                        core::vector3df(1.f, 1.f, 1.f)) {
    setAutomaticCulling(scene::EAC_FRUSTUM_BOX);
    Grids.setAllocStrategy(core::ALLOC_STRATEGY_DOUBLE);
    for (u32 i = 0; i < gridCount; ++i)
        addGrid();

    PickBuffer = new scene::CDynamicMeshBuffer(video::EVT_STANDARD, video::EIT_16BIT);
    PickBuffer->Material.Wireframe = false;
    PickBuffer->Material.Lighting = false;
    PickBuffer->Material.FogEnable = false;
    PickBuffer->Material.BackfaceCulling = false;
    PickMesh = new scene::SMesh();
    PickMesh->addMeshBuffer(PickBuffer);
}

CGridSceneNode::~CGridSceneNode() {
    PickMesh->drop();
    PickBuffer->drop();
}

u32 CGridSceneNode::addGrid() {
    Grids.push_back(SGrid());
    return Grids.size() - 1;
}

void CGridSceneNode::setGridsSize(const core::dimension2df& size) {
    GridsSize = size;
    for (u32 i = 0; i < Grids.size(); ++i)
        Grids[i].setSize(size);
}

video::SMaterial& CGridSceneNode::getMaterial(u32 i) {
    // The engine's own loops stay below getMaterialCount(); anything else
    // gets the scene node's neutral material rather than memory past the array.
    if (i >= Grids.size())
        return scene::ISceneNode::getMaterial(i);
    return Grids[i].getMaterial();
}

void CGridSceneNode::OnRegisterSceneNode() {
    bool anyDirty = false;
    for (u32 i = 0; i < Grids.size(); ++i)
        anyDirty = anyDirty || Grids[i].IsDirty;
    // One grid's change can change which lines its neighbours leave out,
    // so all of them are rebuilt together.
    if (anyDirty) {
        for (u32 i = 0; i < Grids.size(); ++i)
            Grids[i].regenerate(this);
    }

    bool anyBoundsChanged = false;
    for (u32 i = 0; i < Grids.size(); ++i)
        anyBoundsChanged = anyBoundsChanged || Grids[i].BoundsChanged;
    if (anyBoundsChanged)
        recalculateBox();

    if (IsVisible && SceneManager)
        SceneManager->registerNodeForRendering(this, scene::ESNRP_AUTOMATIC);
    scene::ISceneNode::OnRegisterSceneNode();
}

void CGridSceneNode::recalculateBox() {
    const f32 largest = std::numeric_limits<f32>::max();
    if (Grids.empty()) {
        Box = core::aabbox3df(largest, largest, largest, largest, largest, largest);
    } else {
        Box = Grids[0].getBoundingBox();
        for (u32 i = 1; i < Grids.size(); ++i) {
            Box.addInternalPoint(Grids[i].getBoundingBox().MinEdge);
            Box.addInternalPoint(Grids[i].getBoundingBox().MaxEdge);
        }
    }
    for (u32 i = 0; i < Grids.size(); ++i)
        Grids[i].BoundsChanged = false;
    rebuildPickPlane();
}

void CGridSceneNode::rebuildPickPlane() {
    scene::IVertexBuffer& vertices = PickBuffer->getVertexBuffer();
    vertices.reallocate(4);
    vertices.set_used(0);
    // Halves added rather than the sum halved: the sum of two large corners overflows.
    const f32 midY = Box.MinEdge.Y * 0.5f + Box.MaxEdge.Y * 0.5f;
    const core::vector3df normal(0.f, 1.f, 0.f);
    const video::SColor colour(0x800000FF);
    const core::vector2df uv(0.f, 0.f);
    vertices.push_back(video::S3DVertex(core::vector3df(Box.MinEdge.X, midY, Box.MinEdge.Z), normal, colour, uv));
    vertices.push_back(video::S3DVertex(core::vector3df(Box.MinEdge.X, midY, Box.MaxEdge.Z), normal, colour, uv));
    vertices.push_back(video::S3DVertex(core::vector3df(Box.MaxEdge.X, midY, Box.MinEdge.Z), normal, colour, uv));
    vertices.push_back(video::S3DVertex(core::vector3df(Box.MaxEdge.X, midY, Box.MaxEdge.Z), normal, colour, uv));

    scene::IIndexBuffer& indices = PickBuffer->getIndexBuffer();
    if (indices.size() < 6) {
        indices.reallocate(6);
        indices.set_used(0);
        const u32 twoTriangles[6] = {0, 1, 2, 2, 1, 3};
        for (u32 index : twoTriangles)
            indices.push_back(index);
    }
    PickBuffer->setDirty(scene::EBT_VERTEX_AND_INDEX);

    if (!SceneManager)
        return;
    scene::ITriangleSelector* selector = SceneManager->createTriangleSelector(PickMesh, this);
    setTriangleSelector(selector);
    if (selector)
        selector->drop();
}

void CGridSceneNode::render() {
    video::IVideoDriver* driver = SceneManager ? SceneManager->getVideoDriver() : nullptr;
    if (!driver)
        return;
    driver->setTransform(video::ETS_WORLD, AbsoluteTransformation);
    for (u32 i = 0; i < Grids.size(); ++i) {
        if (Grids[i].IsVisible)
            Grids[i].render(driver);
    }
    if (ShowPickPlane) {
        ShowPickPlane = false;
        driver->setMaterial(PickBuffer->Material);
        driver->drawVertexPrimitiveList(PickBuffer->getVertexBuffer().getData(), PickBuffer->getVertexBuffer().size(),
                                        PickBuffer->getIndexBuffer().getData(), PickBuffer->getIndexBuffer().size() / 3,
                                        PickBuffer->getVertexBuffer().getType(), scene::EPT_TRIANGLES,
                                        PickBuffer->getIndexBuffer().getType());
    }
}

void CGridSceneNode::updateVisibility() {
    scene::ICameraSceneNode* camera = SceneManager ? SceneManager->getActiveCamera() : nullptr;
    for (u32 i = 0; i < Grids.size(); ++i) {
        SGrid& grid = Grids[i];
        grid.IsVisible = true;
        grid.IsDirty = true;
        if (!camera || camera->isOrthogonal())
            continue;
        core::plane3df plane(grid.Offset, core::vector3df(0.f, 1.f, 0.f));
        AbsoluteTransformation.transformPlane(plane);
        // Signed: a camera below the plane never hides the grid.
        if (plane.getDistanceTo(camera->getAbsolutePosition()) > grid.MaxDistance)
            grid.IsVisible = false;
    }
}

scene::ISceneNode* CGridSceneNode::clone(scene::ISceneNode* newParent, scene::ISceneManager* newManager) {
    // The engine clones children with the new parent and manager; without
    // them the copy joins this node's parent in this node's scene.
    scene::ISceneNode* parent = newParent ? newParent : Parent;
    scene::ISceneManager* manager = newManager ? newManager : SceneManager;
    CGridSceneNode* copy = new CGridSceneNode(parent, manager, ID, Grids.size());
    for (u32 i = 0; i < Grids.size(); ++i)
        copy->Grids[i] = Grids[i];
    // The parent keeps the copy alive; a copy without one stays owned by the caller.
    if (parent)
        copy->drop();
    return copy;
}

} // namespace sorn
