// The ground grid node: lines, suppression, the vertex limit, bad sizes,
// camera-distance hiding, box and pick plane, copies and clones.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "app/EditorState.h"
#include "scene/GridCommands.h"
#include "scene/GridSceneNode.h"

using namespace irr;
using sorn::CGridSceneNode;
using sorn::editor;

namespace {

struct GridLine {
    core::vector3df a;
    core::vector3df b;
};

// The grid's lines as the vertex pairs its buffer holds, in buffer order.
std::vector<GridLine> linesOf(const CGridSceneNode::SGrid& grid) {
    const scene::IVertexBuffer& vertices = grid.getMeshBuffer().getVertexBuffer();
    std::vector<GridLine> lines;
    for (u32 i = 0; i + 1 < vertices.size(); i += 2)
        lines.push_back({vertices[i].Pos, vertices[i + 1].Pos});
    return lines;
}

// Positions of the lines that run along Z (constant X), or along X (constant Z).
std::vector<f32> positionsAlong(const CGridSceneNode::SGrid& grid, bool runningAlongZ) {
    std::vector<f32> positions;
    for (const GridLine& line : linesOf(grid)) {
        if (runningAlongZ && line.a.X == line.b.X && line.a.Z != line.b.Z)
            positions.push_back(line.a.X);
        if (!runningAlongZ && line.a.Z == line.b.Z && line.a.X != line.b.X)
            positions.push_back(line.a.Z);
    }
    return positions;
}

bool nearMultipleOf(f32 value, f32 step) {
    const f32 r = std::fabs(std::remainder(value, step));
    return r <= 0.1f;
}

class GridSceneNodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        sorn::resetEditorState();
        device = createDevice(video::EDT_NULL);
        ASSERT_NE(device, nullptr);
        editor.device = device;
        editor.sceneManager = device->getSceneManager();
        smgr = editor.sceneManager;
    }
    void TearDown() override {
        sorn::resetEditorState();
        device->drop();
    }

    CGridSceneNode* addNode(u32 gridCount) {
        CGridSceneNode* node = new CGridSceneNode(smgr->getRootSceneNode(), smgr, -1, gridCount);
        node->drop();
        return node;
    }

    // The editor's grid, built once as a frame would build it.
    CGridSceneNode* editorGrid() {
        sorn::createGrid(2000.f, 100.f);
        editor.gridNode->OnRegisterSceneNode();
        return editor.gridNode;
    }

    u32 primitivesDrawnBy(CGridSceneNode* node) {
        video::IVideoDriver* driver = device->getVideoDriver();
        driver->beginScene();
        node->render();
        driver->endScene();
        return driver->getPrimitiveCountDrawn(0);
    }

    IrrlichtDevice* device = nullptr;
    scene::ISceneManager* smgr = nullptr;
};

TEST_F(GridSceneNodeTest, EditorGridHasTwentyOneLinesEachWayOverTheWholeSize) {
    CGridSceneNode* node = editorGrid();
    ASSERT_EQ(node->getGridCount(), 1u);
    const CGridSceneNode::SGrid& grid = node->getGrid(0);
    const scene::IVertexBuffer& vertices = grid.getMeshBuffer().getVertexBuffer();
    const scene::IIndexBuffer& indices = grid.getMeshBuffer().getIndexBuffer();
    ASSERT_EQ(vertices.size(), 84u);
    ASSERT_EQ(indices.size(), 84u);
    for (u32 i = 0; i < indices.size(); ++i)
        EXPECT_EQ(indices[i], i);

    const std::vector<GridLine> lines = linesOf(grid);
    for (int i = 0; i < 21; ++i) {
        const f32 p = -1000.f + 100.f * i;
        // Lines along Z come first, then the lines along X.
        EXPECT_EQ(lines[i].a, core::vector3df(p, 0.f, -1000.f)) << i;
        EXPECT_EQ(lines[i].b, core::vector3df(p, 0.f, 1000.f)) << i;
        EXPECT_EQ(lines[21 + i].a, core::vector3df(-1000.f, 0.f, p)) << i;
        EXPECT_EQ(lines[21 + i].b, core::vector3df(1000.f, 0.f, p)) << i;
    }
    for (u32 i = 0; i < vertices.size(); ++i) {
        EXPECT_EQ(vertices[i].Color, video::SColor(0xFFFFFFFF));
        EXPECT_EQ(vertices[i].Normal, core::vector3df(0.f, 1.f, 0.f));
    }
    EXPECT_FALSE(grid.isDirty());
    EXPECT_EQ(node->getBoundingBox(), core::aabbox3df(-1000.f, -0.5f, -1000.f, 1000.f, 0.5f, 1000.f));
    EXPECT_EQ(primitivesDrawnBy(node), 42u);
}

struct LayoutCase {
    const char* name;
    u32 cornerAligned;
    core::vector3df offset;
    std::vector<f32> xs; // positions of lines running along Z
    f32 spanMinZ;
    f32 spanMaxZ;
};

TEST_F(GridSceneNodeTest, SmallGridLayoutCentredAndCornerAligned) {
    const std::vector<LayoutCase> cases = {
        {"centred", 0, {0.f, 0.f, 0.f}, {-100.f, 0.f, 100.f}, -125.f, 125.f},
        {"corner aligned", 1, {0.f, 0.f, 0.f}, {-125.f, -25.f, 75.f}, -125.f, 125.f},
        {"centred, offset", 0, {10.f, 5.f, -20.f}, {-90.f, 10.f, 110.f}, -145.f, 105.f},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        CGridSceneNode* node = addNode(1);
        CGridSceneNode::SGrid& grid = node->getGrid(0);
        grid.setSize(core::dimension2df(250.f, 250.f));
        grid.setSpacing(100.f);
        grid.setCornerAligned(c.cornerAligned);
        grid.setOffset(c.offset);
        node->OnRegisterSceneNode();

        EXPECT_EQ(positionsAlong(grid, true), c.xs);
        const std::vector<GridLine> lines = linesOf(grid);
        ASSERT_EQ(lines.size(), 6u);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(lines[i].a.Z, c.spanMinZ);
            EXPECT_EQ(lines[i].b.Z, c.spanMaxZ);
            EXPECT_EQ(lines[i].a.Y, c.offset.Y);
        }
        // The lines along X use the same layout shifted by the Z offset.
        std::vector<f32> expectedZs;
        for (f32 x : c.xs)
            expectedZs.push_back(x - c.offset.X + c.offset.Z);
        EXPECT_EQ(positionsAlong(grid, false), expectedZs);
        node->remove();
    }
}

class GridSuppressionTest : public GridSceneNodeTest, public ::testing::WithParamInterface<bool> {};

TEST_P(GridSuppressionTest, FineGridLeavesOutLinesOfVisibleCoarseGrid) {
    const bool coarseFirst = GetParam();
    CGridSceneNode* node = addNode(2);
    const u32 fineIndex = coarseFirst ? 1 : 0;
    const u32 coarseIndex = coarseFirst ? 0 : 1;
    node->setGridsSize(core::dimension2df(2000.f, 2000.f));
    node->getGrid(fineIndex).setSpacing(10.f);
    node->getGrid(coarseIndex).setSpacing(100.f);
    node->OnRegisterSceneNode();

    const CGridSceneNode::SGrid& fine = node->getGrid(fineIndex);
    const CGridSceneNode::SGrid& coarse = node->getGrid(coarseIndex);
    for (bool alongZ : {true, false}) {
        const std::vector<f32> finePositions = positionsAlong(fine, alongZ);
        EXPECT_EQ(finePositions.size(), 180u); // 201 positions, 21 shared with the coarse grid
        for (f32 p : finePositions)
            EXPECT_FALSE(nearMultipleOf(p, 100.f)) << p;
        EXPECT_EQ(positionsAlong(coarse, alongZ).size(), 21u);
    }

    node->getGrid(coarseIndex).setVisible(false);
    node->OnRegisterSceneNode();
    EXPECT_EQ(positionsAlong(fine, true).size(), 201u);
    EXPECT_EQ(positionsAlong(fine, false).size(), 201u);
    // A hidden grid is not drawn at all.
    EXPECT_EQ(primitivesDrawnBy(node), 402u);
}

INSTANTIATE_TEST_SUITE_P(BothGridOrders, GridSuppressionTest, ::testing::Bool());

TEST_F(GridSceneNodeTest, LineFreeWithoutOwnerAndAgainstEmptyCoarseGrid) {
    CGridSceneNode* node = addNode(2);
    node->setGridsSize(core::dimension2df(2000.f, 2000.f));
    node->getGrid(0).setSpacing(10.f);
    node->getGrid(1).setSpacing(100.f);
    EXPECT_TRUE(node->getGrid(0).isLineFree(0.f, true, nullptr));
    EXPECT_FALSE(node->getGrid(0).isLineFree(0.f, true, node));
    EXPECT_FALSE(node->getGrid(0).isLineFree(100.05f, false, node));
    EXPECT_TRUE(node->getGrid(0).isLineFree(10.f, false, node));
    // A coarse grid too dense to be built draws no line, so it hides none.
    node->getGrid(1).setSize(core::dimension2df(1e30f, 1e30f));
    EXPECT_TRUE(node->getGrid(0).isLineFree(0.f, true, node));
}

TEST_F(GridSceneNodeTest, VertexLimitOfSixteenBitIndices) {
    CGridSceneNode* node = editorGrid();
    const core::aabbox3df builtBox = node->getBoundingBox();
    CGridSceneNode::SGrid& grid = node->getGrid(0);

    grid.setSpacing(0.125f); // (16000 + 16000 + 2) * 2 = 64004 vertices
    node->OnRegisterSceneNode();
    const scene::IVertexBuffer& vertices = grid.getMeshBuffer().getVertexBuffer();
    ASSERT_EQ(vertices.size(), 64004u);
    EXPECT_EQ(grid.getMeshBuffer().getIndexBuffer()[64003], 64003u);
    EXPECT_EQ(vertices[0].Pos.X, -1000.f);
    EXPECT_EQ(vertices[2 * 16000].Pos.X, 1000.f);
    EXPECT_EQ(vertices[64002].Pos.Z, 1000.f);

    grid.setSpacing(0.0625f); // 128004 vertices: too many
    node->OnRegisterSceneNode();
    EXPECT_EQ(vertices.size(), 0u);
    EXPECT_EQ(grid.getMeshBuffer().getIndexBuffer().size(), 0u);
    EXPECT_EQ(node->getBoundingBox(), builtBox);
    EXPECT_EQ(primitivesDrawnBy(node), 0u);
}

TEST_F(GridSceneNodeTest, BadSizesAndSpacingsLeaveTheGridEmpty) {
    const f32 nan = std::numeric_limits<f32>::quiet_NaN();
    const f32 inf = std::numeric_limits<f32>::infinity();
    const struct {
        f32 size;
        f32 spacing;
    } cases[] = {
        {0.f, 100.f},  {-2000.f, 100.f}, {2000.f, 0.f},   {2000.f, -100.f}, {1e30f, 100.f},   {2000.f, 1e-30f},
        {1e30f, 1e-30f}, {nan, 100.f},   {2000.f, nan},   {inf, 100.f},     {2000.f, inf},    {-inf, -inf},
        {inf, inf},    {nan, nan},       {-0.f, 100.f},   {2000.f, -0.f},
    };
    CGridSceneNode* node = editorGrid();
    const core::aabbox3df builtBox = node->getBoundingBox();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << " spacing " << c.spacing);
        // Start each case from a built grid, so an unchanged buffer shows.
        sorn::setGridSizeAndSpacing(2000.f, 100.f);
        node->OnRegisterSceneNode();
        ASSERT_EQ(node->getGrid(0).getMeshBuffer().getVertexBuffer().size(), 84u);

        sorn::setGridSizeAndSpacing(c.size, c.spacing);
        node->OnRegisterSceneNode();
        EXPECT_EQ(node->getGrid(0).getMeshBuffer().getVertexBuffer().size(), 0u);
        EXPECT_EQ(node->getBoundingBox(), builtBox);
        core::vector2df min, max;
        node->getGrid(0).getLineExtents(min, max); // defined for any input
        for (bool corner : {false, true}) {
            node->getGrid(0).setCornerAligned(corner);
            node->getGrid(0).getLineExtents(min, max);
        }
        node->getGrid(0).setCornerAligned(0);
    }
}

TEST_F(GridSceneNodeTest, HugeSpacingOrOffsetStillEnds) {
    CGridSceneNode* node = editorGrid();
    sorn::setGridSizeAndSpacing(2000.f, 1e30f);
    node->OnRegisterSceneNode();
    // Only the two lines through the centre fit.
    EXPECT_EQ(positionsAlong(node->getGrid(0), true), std::vector<f32>{0.f});
    EXPECT_EQ(positionsAlong(node->getGrid(0), false), std::vector<f32>{0.f});

    sorn::setGridSizeAndSpacing(2000.f, 100.f);
    node->getGrid(0).setOffset(core::vector3df(1e30f, 0.f, -1e30f));
    node->OnRegisterSceneNode();
    EXPECT_LE(node->getGrid(0).getMeshBuffer().getVertexBuffer().size(), 84u);
}

TEST_F(GridSceneNodeTest, CameraDistanceHidesGridOnlyForPerspectiveCameras) {
    CGridSceneNode* node = editorGrid();
    node->getGrid(0).setMaxDistance(500.f);
    EXPECT_FALSE(node->getGrid(0).isDirty()); // the limit alone changes no geometry

    scene::ICameraSceneNode* camera = smgr->addCameraSceneNode(nullptr, core::vector3df(0.f, 600.f, 0.f));
    camera->updateAbsolutePosition();
    const struct {
        const char* name;
        f32 cameraY;
        f32 nodeY;
        bool orthogonal;
        bool visible;
    } cases[] = {
        {"perspective, 600 above", 600.f, 0.f, false, false},
        {"orthogonal, 600 above", 600.f, 0.f, true, true},
        {"perspective, 400 above", 400.f, 0.f, false, true},
        {"perspective, 600 below", -600.f, 0.f, false, true},
        {"perspective, node raised to 200", 600.f, 200.f, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        camera->setPosition(core::vector3df(0.f, c.cameraY, 0.f));
        camera->updateAbsolutePosition();
        core::matrix4 projection;
        if (c.orthogonal)
            projection.buildProjectionMatrixOrthoLH(1000.f, 750.f, 1.f, 3000.f);
        else
            projection.buildProjectionMatrixPerspectiveFovLH(core::PI / 2.5f, 4.f / 3.f, 1.f, 3000.f);
        camera->setProjectionMatrix(projection, c.orthogonal);
        node->setPosition(core::vector3df(0.f, c.nodeY, 0.f));
        node->updateAbsolutePosition();

        node->updateVisibility();
        EXPECT_EQ(node->getGrid(0).isVisible(), c.visible);
        EXPECT_TRUE(node->getGrid(0).isDirty());
    }
}

TEST_F(GridSceneNodeTest, NodeWithoutGridsHasLargestBox) {
    CGridSceneNode* node = addNode(0);
    EXPECT_EQ(node->getMaterialCount(), 0u);
    node->OnRegisterSceneNode();
    node->recalculateBox();
    const f32 largest = std::numeric_limits<f32>::max();
    EXPECT_EQ(node->getBoundingBox().MinEdge, core::vector3df(largest, largest, largest));
    EXPECT_EQ(node->getBoundingBox().MaxEdge, core::vector3df(largest, largest, largest));
    EXPECT_EQ(primitivesDrawnBy(node), 0u);
}

TEST_F(GridSceneNodeTest, BoxIsUnionOfGridsAndPickPlaneLiesAcrossIt) {
    CGridSceneNode* node = addNode(2);
    node->setGridsSize(core::dimension2df(2000.f, 2000.f));
    node->getGrid(0).setSpacing(100.f);
    node->getGrid(1).setSpacing(10.f);
    node->getGrid(1).setSize(core::dimension2df(100.f, 100.f));
    node->getGrid(1).setOffset(core::vector3df(5000.f, 10.f, 0.f));
    node->OnRegisterSceneNode();
    EXPECT_EQ(node->getGridsSize(), core::dimension2df(2000.f, 2000.f));
    const core::aabbox3df box = node->getBoundingBox();
    EXPECT_EQ(box, core::aabbox3df(-1000.f, -0.5f, -1000.f, 5050.f, 10.5f, 1000.f));

    const scene::IVertexBuffer& pick = node->getPickBuffer().getVertexBuffer();
    ASSERT_EQ(pick.size(), 4u);
    const f32 midY = 5.f;
    EXPECT_EQ(pick[0].Pos, core::vector3df(-1000.f, midY, -1000.f));
    EXPECT_EQ(pick[1].Pos, core::vector3df(-1000.f, midY, 1000.f));
    EXPECT_EQ(pick[2].Pos, core::vector3df(5050.f, midY, -1000.f));
    EXPECT_EQ(pick[3].Pos, core::vector3df(5050.f, midY, 1000.f));
    const scene::IIndexBuffer& pickIndices = node->getPickBuffer().getIndexBuffer();
    ASSERT_EQ(pickIndices.size(), 6u);
    const u32 expectedIndices[6] = {0, 1, 2, 2, 1, 3};
    for (u32 i = 0; i < 6; ++i)
        EXPECT_EQ(pickIndices[i], expectedIndices[i]);

    // Collision queries meet the flat plane, not the lines.
    scene::ITriangleSelector* selector = node->getTriangleSelector();
    ASSERT_NE(selector, nullptr);
    EXPECT_EQ(selector->getTriangleCount(), 2);
    core::vector3df hit;
    core::triangle3df triangle;
    scene::ISceneNode* hitNode = nullptr;
    const core::line3df ray(core::vector3df(123.f, 500.f, 45.f), core::vector3df(123.f, -500.f, 45.f));
    ASSERT_TRUE(smgr->getSceneCollisionManager()->getCollisionPoint(ray, selector, hit, triangle, hitNode));
    EXPECT_EQ(hitNode, node);
    EXPECT_NEAR(hit.Y, midY, 1e-3f);

    // The pick plane is drawn once when asked, then no more.
    const u32 lines = primitivesDrawnBy(node);
    node->showPickPlaneOnce();
    EXPECT_EQ(primitivesDrawnBy(node), lines + 2);
    EXPECT_EQ(primitivesDrawnBy(node), lines);
}

TEST_F(GridSceneNodeTest, AppendLinesInNodeOrTransformedSpace) {
    CGridSceneNode* node = editorGrid();
    core::array<core::line2df> lines;
    node->getGrid(0).appendLines(lines);
    ASSERT_EQ(lines.size(), 42u);
    EXPECT_EQ(lines[0], core::line2df(-1000.f, -1000.f, -1000.f, 1000.f));
    EXPECT_EQ(lines[41], core::line2df(-1000.f, 1000.f, 1000.f, 1000.f));

    core::matrix4 move;
    move.setTranslation(core::vector3df(10.f, 50.f, 20.f));
    node->getGrid(0).appendLines(lines, &move);
    ASSERT_EQ(lines.size(), 84u);
    EXPECT_EQ(lines[42], core::line2df(-990.f, -980.f, -990.f, 1020.f));
}

TEST_F(GridSceneNodeTest, CopiesTakeSettingsAndMaterialButRebuildTheirOwnLines) {
    CGridSceneNode* node = editorGrid();
    CGridSceneNode::SGrid& source = node->getGrid(0);
    source.setCornerAligned(1);
    source.setOffset(core::vector3df(1.f, 2.f, 3.f));
    source.setMaxDistance(750.f);
    source.getMaterial().Thickness = 3.f;
    source.getMaterial().ZBuffer = video::ECFN_ALWAYS;
    node->OnRegisterSceneNode();
    ASSERT_GT(source.getMeshBuffer().getVertexBuffer().size(), 0u);

    auto expectSameSettings = [&](const CGridSceneNode::SGrid& copy) {
        EXPECT_EQ(copy.isVisible(), source.isVisible());
        EXPECT_EQ(copy.getCornerAligned(), 1u);
        EXPECT_EQ(copy.getSpacing(), 100.f);
        EXPECT_EQ(copy.getSize(), core::dimension2df(2000.f, 2000.f));
        EXPECT_EQ(copy.getOffset(), core::vector3df(1.f, 2.f, 3.f));
        EXPECT_EQ(copy.getGridColor(), video::SColor(0xFFFFFFFF));
        EXPECT_EQ(copy.getMaxDistance(), 750.f);
        EXPECT_EQ(const_cast<CGridSceneNode::SGrid&>(copy).getMaterial(), source.getMaterial());
        EXPECT_TRUE(copy.isDirty());
    };

    const CGridSceneNode::SGrid copied(source);
    expectSameSettings(copied);
    EXPECT_EQ(copied.getMeshBuffer().getVertexBuffer().size(), 0u);
    EXPECT_NE(&copied.getMeshBuffer(), &source.getMeshBuffer());

    CGridSceneNode* other = addNode(1);
    other->OnRegisterSceneNode();
    ASSERT_FALSE(other->getGrid(0).isDirty());
    other->getGrid(0) = source;
    expectSameSettings(other->getGrid(0));
    other->OnRegisterSceneNode();
    EXPECT_EQ(other->getGrid(0).getMeshBuffer().getVertexBuffer().size(),
              source.getMeshBuffer().getVertexBuffer().size());
}

TEST_F(GridSceneNodeTest, CloneCopiesGridsButNotNameOrTransformation) {
    CGridSceneNode* node = addNode(2);
    node->setName("Sorn::Grid");
    node->setID(7);
    node->setPosition(core::vector3df(5.f, 6.f, 7.f));
    node->getGrid(1).setSpacing(250.f);
    node->getGrid(1).setGridColor(video::SColor(0xFF112233));

    scene::ISceneNode* cloned = node->clone();
    ASSERT_NE(cloned, nullptr);
    CGridSceneNode* copy = static_cast<CGridSceneNode*>(cloned);
    EXPECT_EQ(copy->getParent(), node->getParent());
    EXPECT_EQ(copy->getID(), 7);
    EXPECT_EQ(copy->getGridCount(), 2u);
    EXPECT_EQ(copy->getGrid(1).getSpacing(), 250.f);
    EXPECT_EQ(copy->getGrid(1).getGridColor(), video::SColor(0xFF112233));
    EXPECT_STREQ(copy->getName(), "");
    EXPECT_EQ(copy->getPosition(), core::vector3df(0.f, 0.f, 0.f));
    EXPECT_EQ(copy->getType(), scene::ESNT_UNKNOWN);
    EXPECT_EQ(copy->getAutomaticCulling(), static_cast<u32>(scene::EAC_FRUSTUM_BOX));

    // The engine clones children with their new parent.
    scene::ISceneNode* holder = smgr->addEmptySceneNode();
    scene::ISceneNode* underHolder = node->clone(holder, smgr);
    EXPECT_EQ(underHolder->getParent(), holder);

    // Without any parent the copy stays alive for the caller, who drops it.
    CGridSceneNode* loose = new CGridSceneNode(nullptr, smgr, 3, 1);
    scene::ISceneNode* looseCopy = loose->clone();
    ASSERT_NE(looseCopy, nullptr);
    EXPECT_EQ(looseCopy->getID(), 3);
    EXPECT_EQ(looseCopy->getMaterialCount(), 1u);
    looseCopy->drop();
    loose->drop();
}

TEST_F(GridSceneNodeTest, MaterialsArePerGrid) {
    CGridSceneNode* node = addNode(2);
    ASSERT_EQ(node->getMaterialCount(), 2u);
    node->getMaterial(1).Thickness = 4.f;
    EXPECT_EQ(node->getGrid(1).getMaterial().Thickness, 4.f);
    EXPECT_EQ(node->getGrid(0).getMaterial().Thickness, 1.f);
    const video::SMaterial& m = node->getGrid(0).getMaterial();
    EXPECT_FALSE(m.Lighting);
    EXPECT_FALSE(m.Wireframe);
    EXPECT_FALSE(m.FogEnable);
    EXPECT_TRUE(m.ZWriteEnable);
    EXPECT_TRUE(m.BackfaceCulling);
    EXPECT_EQ(m.ZBuffer, video::ECFN_LESSEQUAL);
    EXPECT_EQ(m.AntiAliasing, video::EAAM_OFF);
    // Setting a flag through the node reaches every grid.
    node->setMaterialFlag(video::EMF_WIREFRAME, true);
    EXPECT_TRUE(node->getGrid(0).getMaterial().Wireframe);
    EXPECT_TRUE(node->getGrid(1).getMaterial().Wireframe);
}

} // namespace
