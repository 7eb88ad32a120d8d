// Every node of the Add menu, saved through the save window while the
// process formats numbers with decimal commas, then opened again: the same
// names, types, placements, materials and shapes come back.
#include <gtest/gtest.h>

#include <clocale>
#include <map>

#include "app/PathText.h"
#include "events/SaveWindow.h"
#include "files/OpenFile.h"
#include "scene/NodeCatalogue.h"
#include "support/EditorFixture.h"

using namespace irr;
using sorn::editor;
namespace ids = sorn::ids;

namespace {

struct NodeRecord {
    scene::ESCENE_NODE_TYPE type;
    core::vector3df position, rotation, scale;
    u32 materialCount;
    video::SColor diffuse;
    core::aabbox3df box;
};

std::map<std::string, NodeRecord> userNodes(scene::ISceneNode* root) {
    std::map<std::string, NodeRecord> nodes;
    for (scene::ISceneNode* node : root->getChildren()) {
        if (node->isDebugObject() || node->getType() == scene::ESNT_CAMERA)
            continue;
        NodeRecord record{node->getType(), node->getPosition(), node->getRotation(), node->getScale(),
                          node->getMaterialCount(),
                          node->getMaterialCount() ? node->getMaterial(0).DiffuseColor : video::SColor(0),
                          node->getBoundingBox()};
        nodes[node->getName()] = record;
    }
    return nodes;
}

class CatalogueRoundTripTest : public sorn::test::EditorTest {
protected:
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        EditorTest::TearDown();
    }
};

TEST_F(CatalogueRoundTripTest, EveryCatalogueNodeComesBackFromADecimalCommaSave) {
    const std::pair<scene::ESCENE_NODE_TYPE, s32> catalogue[] = {
        {scene::ESNT_MESH, ids::MeshPlane},  {scene::ESNT_CUBE, 0},           {scene::ESNT_SPHERE, 0},
        {scene::ESNT_MESH, ids::MeshCylinder}, {scene::ESNT_MESH, ids::MeshCone}, {scene::ESNT_LIGHT, 0},
        {scene::ESNT_PARTICLE_SYSTEM, 0},    {scene::ESNT_SKY_BOX, 0},        {scene::ESNT_SKY_DOME, 0},
        {scene::ESNT_TERRAIN, 0},            {scene::ESNT_TEXT, 0},           {scene::ESNT_VOLUME_LIGHT, 0},
        {scene::ESNT_WATER_SURFACE, 0},
    };
    f32 offset = 0.f;
    for (const auto& entry : catalogue) {
        scene::ISceneNode* node = sorn::addNode(entry.first, entry.second);
        ASSERT_NE(node, nullptr) << entry.first;
        offset += 1.25f;
        node->setPosition(core::vector3df(offset, -offset * 0.5f, 0.125f));
        node->setRotation(core::vector3df(10.5f, offset, -20.25f));
        node->setScale(core::vector3df(1.5f, 0.75f, 2.25f));
    }
    activePasses(2);
    const auto before = userNodes(smgr()->getRootSceneNode());
    ASSERT_EQ(before.size(), std::size(catalogue));

    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    chooseMenuCommand(ids::CmdSave);
    const std::string path = appFolder.file("catalogue.irr");
    static_cast<gui::IGUIEditBox*>(sorn::findElement(ids::SavePathEdit))->setText(sorn::widePath(path).c_str());
    clickButton(ids::SaveButton);
    std::setlocale(LC_ALL, "C");
    ASSERT_TRUE(sorn::test::fileExists(path));

    chooseMenuCommand(ids::CmdNewScene);
    activePasses(2);
    ASSERT_TRUE(userNodes(smgr()->getRootSceneNode()).empty());
    ASSERT_TRUE(sorn::openFile(path, false));
    const auto after = userNodes(smgr()->getRootSceneNode());

    for (const auto& node : before) {
        auto found = after.find(node.first);
        ASSERT_NE(found, after.end()) << "missing " << node.first;
        const NodeRecord& a = node.second;
        const NodeRecord& b = found->second;
        EXPECT_EQ(a.type, b.type) << node.first;
        EXPECT_TRUE(a.position.equals(b.position)) << node.first;
        EXPECT_TRUE(a.rotation.equals(b.rotation, 0.001f)) << node.first;
        EXPECT_TRUE(a.scale.equals(b.scale)) << node.first;
        EXPECT_EQ(a.materialCount, b.materialCount) << node.first;
        EXPECT_EQ(a.diffuse, b.diffuse) << node.first;
        EXPECT_TRUE(a.box.MinEdge.equals(b.box.MinEdge, 0.01f) && a.box.MaxEdge.equals(b.box.MaxEdge, 0.01f))
            << node.first << " shape changed";
    }
}

} // namespace
