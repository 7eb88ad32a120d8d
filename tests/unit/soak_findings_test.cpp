// Faults the random-action soak found, each reproduced on its own.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "events/Selection.h"
#include "events/UndoCommands.h"
#include "scene/TextNodeData.h"
#include "scene/NodeState.h"
#include "scene/UndoHistory.h"
#include "support/EditorFixture.h"
#include "support/NullDevice.h"
#include "support/SceneSnapshot.h"

using namespace irr;

namespace sorn {
namespace {

using NodeStateRestoreTest = test::NullDeviceTest;

// Every volume-light setter rebuilds the light's mesh with a fresh material:
// giving back a state must not lose the materials it holds.
TEST_F(NodeStateRestoreTest, VolumeLightMaterialsSurviveTheRebuildOfItsMesh) {
    struct Rebuild {
        const char* name;
        std::function<void(scene::IVolumeLightSceneNode*)> change;
    };
    const Rebuild rebuilds[] = {
        {"tail colour", [](scene::IVolumeLightSceneNode* v) { v->setTailColor(video::SColor(255, 1, 2, 3)); }},
        {"foot colour", [](scene::IVolumeLightSceneNode* v) { v->setFootColor(video::SColor(255, 4, 5, 6)); }},
        {"subdivision U", [](scene::IVolumeLightSceneNode* v) { v->setSubDivideU(v->getSubDivideU() + 3); }},
        {"subdivision V", [](scene::IVolumeLightSceneNode* v) { v->setSubDivideV(v->getSubDivideV() + 3); }},
    };
    for (const Rebuild& rebuild : rebuilds) {
        scene::IVolumeLightSceneNode* light = editor.sceneManager->addVolumeLightSceneNode();
        ASSERT_NE(light, nullptr);
        const NodeState plain = NodeState::of(light);
        // The lighting key switches lighting and normal normalisation on.
        light->setMaterialFlag(video::EMF_LIGHTING, !light->getMaterial(0).Lighting);
        light->setMaterialFlag(video::EMF_NORMALIZE_NORMALS, !light->getMaterial(0).NormalizeNormals);
        const NodeState lit = NodeState::of(light);
        ASSERT_TRUE(lit != plain);

        rebuild.change(light);
        const NodeState rebuilt = NodeState::of(light);
        ASSERT_TRUE(rebuilt != lit) << rebuild.name;

        lit.applyTo(light); // undo
        EXPECT_TRUE(NodeState::of(light) == lit) << rebuild.name << ": undo lost the materials";
        rebuilt.applyTo(light); // redo
        EXPECT_TRUE(NodeState::of(light) == rebuilt) << rebuild.name;
        light->remove();
    }
}

} // namespace
} // namespace sorn

namespace sorn {
namespace {

// Duplicate copies every kind of node with everything under it, also the
// kinds the engine cannot clone (particle systems, text nodes).
class DuplicateEveryKindTest : public test::EditorTest {
protected:
    // Adds at the top of the scene (the Add menu adds under the selection).
    scene::ISceneNode* addFromMenu(s32 command) {
        clearSelection();
        chooseMenuCommand(command);
        const auto& children = smgr()->getRootSceneNode()->getChildren();
        return children.empty() ? nullptr : *children.getLast();
    }

    // Every affector kind with values of its own, a zero direction and the
    // rates the tab allows at both ends; returns the affectors as affectorsOf.
    std::vector<std::string> giveEveryAffectorAndUnclampedRates(scene::IParticleSystemSceneNode* system) {
        scene::IParticleEmitter* emitter = system->getEmitter();
        emitter->setDirection(core::vector3df(0.f, 0.f, 0.f));
        emitter->setMaxParticlesPerSecond(20000);
        emitter->setMinParticlesPerSecond(0);
        scene::IParticleAffector* affectors[] = {
            system->createAttractionAffector(core::vector3df(1.f, 2.f, 3.f), 7.f, false, true, false, true),
            system->createFadeOutParticleAffector(video::SColor(0, 10, 20, 30), 1234),
            system->createGravityAffector(core::vector3df(0.f, -0.5f, 0.f), 777),
            system->createRotationAffector(core::vector3df(4.f, 5.f, 6.f), core::vector3df(1.f, 1.f, 1.f)),
            system->createScaleParticleAffector(core::dimension2df(3.f, 4.f)),
        };
        for (scene::IParticleAffector* affector : affectors) {
            system->addAffector(affector);
            affector->drop();
        }
        return affectorsOf(system);
    }

    // Each affector's kind and values as the engine writes them.
    std::vector<std::string> affectorsOf(scene::IParticleSystemSceneNode* system) {
        std::vector<std::string> values;
        io::IAttributes* attributes = smgr()->getFileSystem()->createEmptyAttributes();
        for (scene::IParticleAffector* affector : system->getAffectors()) {
            attributes->clear();
            affector->serializeAttributes(attributes);
            std::string text = std::to_string(affector->getType());
            for (u32 i = 0; i < attributes->getAttributeCount(); ++i)
                text += std::string(" ") + attributes->getAttributeName(i) + "=" +
                        attributes->getAttributeAsString(i).c_str();
            values.push_back(text);
        }
        attributes->drop();
        return values;
    }

    // Picks the node in the scene box and presses its duplicate button;
    // returns the copy (the node added beside it).
    scene::ISceneNode* duplicate(scene::ISceneNode* node) {
        if (!findElement(ids::SceneBoxTree))
            clickButton(ids::ButtonOpenSceneBox);
        activePasses(3);
        pickInTree(node);
        EXPECT_EQ(editor.selectedNode, node);
        std::vector<scene::ISceneNode*> before;
        for (scene::ISceneNode* child : node->getParent()->getChildren())
            before.push_back(child);
        clickButton(ids::SceneBoxDuplicate);
        for (scene::ISceneNode* child : node->getParent()->getChildren())
            if (std::find(before.begin(), before.end(), child) == before.end())
                return child;
        return nullptr;
    }
};

TEST_F(DuplicateEveryKindTest, EachKindOfTheAddMenuIsCopiedWithItsValues) {
    const s32 commands[] = {ids::CmdAddPlane,    ids::CmdAddCube,     ids::CmdAddSphere,     ids::CmdAddCylinder,
                            ids::CmdAddCone,     ids::CmdAddLight,    ids::CmdAddParticle,   ids::CmdAddSkyBox,
                            ids::CmdAddSkyDome,  ids::CmdAddTerrain,  ids::CmdAddText,       ids::CmdAddVolumeLight,
                            ids::CmdAddWaterSurface};
    for (s32 command : commands) {
        scene::ISceneNode* node = addFromMenu(command);
        ASSERT_NE(node, nullptr);
        node->setPosition(core::vector3df(3.f, 4.f, 5.f));
        if (node->getType() == scene::ESNT_TEXT)
            setTextNodeData(static_cast<scene::ITextSceneNode*>(node), L"Copied text", video::SColor(255, 9, 8, 7));
        std::vector<std::string> affectorValues;
        if (node->getType() == scene::ESNT_PARTICLE_SYSTEM)
            affectorValues = giveEveryAffectorAndUnclampedRates(static_cast<scene::IParticleSystemSceneNode*>(node));
        const size_t steps = undoHistory.size();
        scene::ISceneNode* copy = duplicate(node);
        const c8* kind = smgr()->getSceneNodeTypeName(node->getType());
        ASSERT_NE(copy, nullptr) << kind << " was not copied";
        EXPECT_EQ(copy->getType(), node->getType()) << kind;
        EXPECT_EQ(copy->getPosition(), node->getPosition()) << kind;
        EXPECT_STREQ(copy->getName(), node->getName()) << kind;
        EXPECT_EQ(undoHistory.size(), steps + 1) << kind << ": one step";
        // A copy saves the same mesh (a water surface made afresh lost it).
        io::IAttributes* saved = smgr()->getFileSystem()->createEmptyAttributes();
        node->serializeAttributes(saved);
        const core::stringc mesh = saved->getAttributeAsString("Mesh");
        saved->clear();
        copy->serializeAttributes(saved);
        EXPECT_EQ(saved->getAttributeAsString("Mesh"), mesh) << kind;
        saved->drop();
        if (node->getType() == scene::ESNT_PARTICLE_SYSTEM) {
            auto* original = static_cast<scene::IParticleSystemSceneNode*>(node);
            auto* copied = static_cast<scene::IParticleSystemSceneNode*>(copy);
            ASSERT_NE(copied->getEmitter(), nullptr);
            EXPECT_NE(copied->getEmitter(), original->getEmitter()) << "each system has an emitter of its own";
            EXPECT_EQ(copied->getEmitter()->getType(), original->getEmitter()->getType());
            // What the engine's attributes clamp or drop comes along too.
            EXPECT_EQ(copied->getEmitter()->getDirection(), core::vector3df(0.f, 0.f, 0.f));
            EXPECT_EQ(copied->getEmitter()->getMinParticlesPerSecond(), 0u);
            EXPECT_EQ(copied->getEmitter()->getMaxParticlesPerSecond(), 20000u);
            EXPECT_EQ(affectorsOf(copied), affectorValues);
            EXPECT_EQ(affectorsOf(original), affectorValues) << "the original keeps its own";
        }
        if (node->getType() == scene::ESNT_TEXT) {
            const TextNodeRecord* record = findTextNodeData(copy);
            ASSERT_NE(record, nullptr);
            EXPECT_EQ(record->text, core::stringw(L"Copied text"));
            EXPECT_EQ(record->colour, video::SColor(255, 9, 8, 7));
        }
        undoLastChange();
        EXPECT_EQ(copy->getParent(), nullptr) << kind << ": undo takes the copy out";
    }
}

// A water surface made from a mesh the cache knows (as one read from a scene
// is): its copy saves that mesh too, and so does the original after an open.
TEST_F(DuplicateEveryKindTest, AWaterSurfaceAndItsCopySaveTheirMesh) {
    scene::IAnimatedMesh* plane = smgr()->getMeshCache()->getMeshByName("Sorn::PlaneMesh");
    ASSERT_NE(plane, nullptr);
    scene::ISceneNode* water = smgr()->addWaterSurfaceSceneNode(plane->getMesh(0), 2.f, 300.f, 10.f);
    water->setName("Lake");
    scene::ISceneNode* copy = duplicate(water);
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->getType(), scene::ESNT_WATER_SURFACE);
    io::IAttributes* saved = smgr()->getFileSystem()->createEmptyAttributes();
    copy->serializeAttributes(saved);
    EXPECT_EQ(saved->getAttributeAsString("Mesh"), core::stringc("Sorn::PlaneMesh"));
    EXPECT_EQ(saved->getAttributeAsFloat("WaveLength"), 10.f);
    saved->drop();
}

TEST_F(DuplicateEveryKindTest, ChildrenTheEngineCannotCloneComeAlong) {
    scene::ISceneNode* cube = addFromMenu(ids::CmdAddCube);
    ASSERT_NE(cube, nullptr);
    // Particle system, text and a sphere under the cube, a text under the sphere.
    for (s32 command : {ids::CmdAddParticle, ids::CmdAddText, ids::CmdAddSphere}) {
        if (!findElement(ids::SceneBoxTree))
            clickButton(ids::ButtonOpenSceneBox);
        activePasses(3);
        pickInTree(cube);
        chooseMenuCommand(command);
    }
    scene::ISceneNode* sphere = *cube->getChildren().getLast();
    ASSERT_EQ(sphere->getType(), scene::ESNT_SPHERE);
    smgr()->addTextSceneNode(gui()->getBuiltInFont(), L"deep", video::SColor(255, 255, 255, 255), sphere);
    const unsigned before = test::countUserNodes(smgr()->getRootSceneNode());
    const unsigned tree = 1 + test::countUserNodes(cube);
    scene::ISceneNode* copy = duplicate(cube);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(test::countUserNodes(smgr()->getRootSceneNode()), before + tree);
    std::map<std::string, unsigned> originalKinds, copiedKinds;
    std::function<void(scene::ISceneNode*, std::map<std::string, unsigned>&)> tally =
        [&](scene::ISceneNode* n, std::map<std::string, unsigned>& kinds) {
            ++kinds[smgr()->getSceneNodeTypeName(n->getType())];
            for (scene::ISceneNode* child : n->getChildren())
                tally(child, kinds);
        };
    tally(cube, originalKinds);
    tally(copy, copiedKinds);
    EXPECT_EQ(copiedKinds, originalKinds);
}

} // namespace
} // namespace sorn
