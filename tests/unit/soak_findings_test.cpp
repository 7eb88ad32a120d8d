// Faults the random-action soak found, each reproduced on its own.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <functional>

#include "scene/NodeState.h"
#include "support/NullDevice.h"

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
