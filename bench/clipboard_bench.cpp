// Copy and paste of a group of 10,000 cubes: the scene text of the group
// (the engine's writer into memory, then UTF-8) and the paste of that text
// under the root (decoding, the scan, the engine's reader and the restoring
// of what it drops), on the null driver.
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include "app/EditorState.h"
#include "files/SceneClipboard.h"

namespace {

using namespace irr;

scene::ISceneNode* groupOfCubes(int count) {
    static IrrlichtDevice* device = nullptr;
    static scene::ISceneNode* group = nullptr;
    if (!device) {
        device = createDevice(video::EDT_NULL);
        device->getLogger()->setLogLevel(ELL_NONE);
        sorn::editor.device = device;
        sorn::editor.sceneManager = device->getSceneManager();
        sorn::editor.rootNode = sorn::editor.sceneManager->getRootSceneNode();
        group = sorn::editor.sceneManager->addEmptySceneNode();
        group->setName("Group");
        for (int i = 0; i < count; ++i)
            sorn::editor.sceneManager->addCubeSceneNode(10.f, group, -1, core::vector3df(i * 1.5f, 0.f, 0.f))
                ->setName("Cube");
    }
    return group;
}

void BM_CopyTenThousandCubes(benchmark::State& state) {
    scene::ISceneNode* group = groupOfCubes(10000);
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = sorn::sceneTextOfNodes({group});
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["text_MB"] = static_cast<double>(bytes) / (1 << 20);
}
BENCHMARK(BM_CopyTenThousandCubes)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PasteTenThousandCubes(benchmark::State& state) {
    scene::ISceneNode* group = groupOfCubes(10000);
    const std::string text = sorn::sceneTextOfNodes({group});
    scene::ISceneNode* root = sorn::editor.sceneManager->getRootSceneNode();
    size_t made = 0;
    for (auto _ : state) {
        const sorn::PastedNodes pasted = sorn::pasteSceneText(text, root);
        state.PauseTiming();
        made = pasted.nodes.empty() ? 0 : pasted.nodes.front()->getChildren().size();
        for (scene::ISceneNode* node : pasted.nodes)
            node->remove();
        state.ResumeTiming();
    }
    state.counters["cubes_pasted"] = static_cast<double>(made);
}
BENCHMARK(BM_PasteTenThousandCubes)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
