#include <gtest/gtest.h>

#include "scene/NodeCatalogue.h"
#include "support/EditorFixture.h"

using namespace irr;
using sorn::editor;
namespace ids = sorn::ids;

namespace {

struct CatalogueEntry {
    s32 command;
    scene::ESCENE_NODE_TYPE type;
    const char* name;
    bool alwaysUnderRoot;
};

const CatalogueEntry Catalogue[] = {
    {ids::CmdAddPlane, scene::ESNT_MESH, "Plane", false},
    {ids::CmdAddCube, scene::ESNT_CUBE, "Cube", false},
    {ids::CmdAddSphere, scene::ESNT_SPHERE, "Sphere", false},
    {ids::CmdAddCylinder, scene::ESNT_MESH, "Cylinder", false},
    {ids::CmdAddCone, scene::ESNT_MESH, "Cone", false},
    {ids::CmdAddLight, scene::ESNT_LIGHT, "Light", false},
    {ids::CmdAddParticle, scene::ESNT_PARTICLE_SYSTEM, "Particle System", false},
    {ids::CmdAddSkyBox, scene::ESNT_SKY_BOX, "SkyBox", true},
    {ids::CmdAddSkyDome, scene::ESNT_SKY_DOME, "SkyDome", true},
    {ids::CmdAddTerrain, scene::ESNT_TERRAIN, "Terrain", false},
    {ids::CmdAddText, scene::ESNT_TEXT, "Text", false},
    {ids::CmdAddVolumeLight, scene::ESNT_VOLUME_LIGHT, "Volume Light", false},
    {ids::CmdAddWaterSurface, scene::ESNT_WATER_SURFACE, "Water Surface", false},
};

class NodeCatalogueTest : public sorn::test::EditorTest, public ::testing::WithParamInterface<CatalogueEntry> {
protected:
    // The one node the command added under parent.
    scene::ISceneNode* addedUnder(scene::ISceneNode* parent, size_t before) {
        EXPECT_EQ(parent->getChildren().size(), before + 1);
        return parent->getChildren().size() == before + 1 ? *parent->getChildren().getLast() : nullptr;
    }
};

TEST_P(NodeCatalogueTest, MenuCommandAddsTheNamedNodeUnderTheRoot) {
    const CatalogueEntry& entry = GetParam();
    scene::ISceneNode* root = smgr()->getRootSceneNode();
    size_t before = root->getChildren().size();
    chooseMenuCommand(entry.command);
    scene::ISceneNode* node = addedUnder(root, before);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->getType(), entry.type);
    EXPECT_STREQ(node->getName(), entry.name);
    EXPECT_EQ(node->getPosition(), core::vector3df(0, 0, 0));
    EXPECT_EQ(node->getID(), -1);
    EXPECT_FALSE(node->isDebugObject());
    EXPECT_TRUE(editor.sceneViewRefresh.pending);
    // Indexed at once, with nothing left for a whole index later.
    EXPECT_EQ(editor.nodeNameIndex[node], entry.name);
    EXPECT_FALSE(editor.nameIndexRefresh.pending);
    EXPECT_EQ(editor.selectedNode, nullptr) << "the new node is not selected";
}

TEST_P(NodeCatalogueTest, ParentIsTheSelectedNodeExceptForSkies) {
    const CatalogueEntry& entry = GetParam();
    scene::ISceneNode* selected = smgr()->addEmptySceneNode();
    selected->setPosition(core::vector3df(5, 6, 7));
    editor.selectedNode = selected;
    editor.nodeSelected = true;
    scene::ISceneNode* expectedParent = entry.alwaysUnderRoot ? smgr()->getRootSceneNode() : selected;
    size_t before = expectedParent->getChildren().size();
    sorn::addNode(entry.type, entry.command == ids::CmdAddPlane      ? ids::MeshPlane
                              : entry.command == ids::CmdAddCylinder ? ids::MeshCylinder
                              : entry.command == ids::CmdAddCone     ? ids::MeshCone
                                                                     : 0);
    scene::ISceneNode* node = addedUnder(expectedParent, before);
    ASSERT_NE(node, nullptr);
    EXPECT_STREQ(node->getName(), entry.name);
    EXPECT_EQ(editor.selectedNode, selected);
}

INSTANTIATE_TEST_SUITE_P(Every, NodeCatalogueTest, ::testing::ValuesIn(Catalogue),
                         [](const ::testing::TestParamInfo<CatalogueEntry>& info) {
                             std::string name = info.param.name;
                             name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
                             return name;
                         });

class NodeDefaultsTest : public sorn::test::EditorTest {};

TEST_F(NodeDefaultsTest, ObservableDefaultsOfTheCatalogue) {
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    core::vector3df edge = cube->getBoundingBox().getExtent();
    EXPECT_FLOAT_EQ(edge.X, 10.f);
    EXPECT_FLOAT_EQ(edge.Y, 10.f);

    scene::ISceneNode* sphere = sorn::addNode(scene::ESNT_SPHERE, 0);
    EXPECT_NEAR(sphere->getBoundingBox().MaxEdge.X, 5.f, 0.01f);

    auto* light = static_cast<scene::ILightSceneNode*>(sorn::addNode(scene::ESNT_LIGHT, 0));
    EXPECT_FLOAT_EQ(light->getRadius(), 100.f);
    EXPECT_EQ(light->getLightData().DiffuseColor.toSColor(), video::SColor(255, 255, 255, 255));

    auto* plane = static_cast<scene::IMeshSceneNode*>(sorn::addNode(scene::ESNT_MESH, ids::MeshPlane));
    core::vector3df planeSize = plane->getMesh()->getBoundingBox().getExtent();
    EXPECT_FLOAT_EQ(planeSize.X, 1.f);
    EXPECT_FLOAT_EQ(planeSize.Z, 1.f);
    EXPECT_EQ(plane->getMesh()->getMeshBuffer(0)->getVertexCount(), 4u);

    auto* cylinder = static_cast<scene::IMeshSceneNode*>(sorn::addNode(scene::ESNT_MESH, ids::MeshCylinder));
    EXPECT_NEAR(cylinder->getMesh()->getBoundingBox().getExtent().Y, 10.f, 0.01f);
    // The shape is the cached one, named so that a saved scene can find it again.
    auto* second = static_cast<scene::IMeshSceneNode*>(sorn::addNode(scene::ESNT_MESH, ids::MeshCylinder));
    EXPECT_EQ(second->getMesh(), cylinder->getMesh());
    EXPECT_EQ(smgr()->getMeshCache()->getMeshName(cylinder->getMesh()).getPath(), io::path("Sorn::CylinderMesh"));
    EXPECT_EQ(smgr()->getMeshCache()->getMeshName(plane->getMesh()).getPath(), io::path("Sorn::PlaneMesh"));

    auto* text = static_cast<scene::ITextSceneNode*>(sorn::addNode(scene::ESNT_TEXT, 0));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->getType(), scene::ESNT_TEXT);

    scene::ISceneNode* water = sorn::addNode(scene::ESNT_WATER_SURFACE, 0);
    EXPECT_NE(water, nullptr);
}

TEST_F(NodeDefaultsTest, SkyDomeFollowsTheSkyToggle) {
    scene::ISceneNode* shown = sorn::addNode(scene::ESNT_SKY_DOME, 0);
    EXPECT_TRUE(shown->isVisible());
    chooseMenuCommand(ids::CmdSkyVisible);
    scene::ISceneNode* hidden = sorn::addNode(scene::ESNT_SKY_DOME, 0);
    EXPECT_FALSE(hidden->isVisible());
}

TEST_F(NodeDefaultsTest, MissingMediaAddsNothingAndRequestsNothing) {
    editor.appDirectory = L"/nonexistent-folder";
    editor.sceneViewRefresh = sorn::DeferredRequest();
    size_t before = smgr()->getRootSceneNode()->getChildren().size();
    EXPECT_EQ(sorn::addNode(scene::ESNT_TERRAIN, 0), nullptr);
    EXPECT_EQ(smgr()->getRootSceneNode()->getChildren().size(), before);
    EXPECT_FALSE(editor.sceneViewRefresh.pending);
}

} // namespace
