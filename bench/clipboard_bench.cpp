// Copy and paste of a group of 10,000 cubes on the null driver: the scene
// text of the group (the engine's writer into memory, then UTF-8) and the
// paste of that text under the root (decoding, the scan, the engine's reader
// and the restoring of what it drops), each beside the engine alone doing
// the same: saveScene of the group into memory (its UTF-32 text) and
// loadScene of that text under the root.
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <vector>

#include "BenchScene.h"
#include "app/EditorState.h"
#include "files/SceneClipboard.h"

namespace {

using namespace irr;

constexpr int kCubes = 10000;
// Room for the engine's UTF-32 text of the group (about 12 KB a cube).
constexpr s32 kEngineTextBytes = 256 << 20;

// A bare device with the group, made once for every run of the program.
IrrlichtDevice* deviceWithGroup() {
    static IrrlichtDevice* device = nullptr;
    if (!device) {
        device = bench::nullDevice();
        scene::ISceneNode* group = device->getSceneManager()->addEmptySceneNode();
        group->setName("Group");
        bench::addCubes(device->getSceneManager(), kCubes, bench::Flat, group);
    }
    return device;
}

scene::ISceneNode* groupOf(IrrlichtDevice* device) {
    return *device->getSceneManager()->getRootSceneNode()->getChildren().begin();
}

// The engine's text of the group in buffer; its length in bytes.
s32 engineTextOf(scene::ISceneNode* group, std::vector<char>& buffer) {
    buffer.resize(static_cast<size_t>(kEngineTextBytes));
    io::IWriteFile* file =
        sorn::editor.device->getFileSystem()->createMemoryWriteFile(buffer.data(), kEngineTextBytes, "copy.irr");
    sorn::editor.sceneManager->saveScene(file, nullptr, group);
    const s32 length = static_cast<s32>(file->getPos());
    file->drop();
    return length;
}

void removePasted(scene::ISceneNode* root, size_t keep) {
    while (root->getChildren().size() > keep)
        (*root->getChildren().getLast())->remove();
}

void BM_CopyTenThousandCubes(benchmark::State& state) {
    bench::EditorStateOn editorScene(deviceWithGroup());
    scene::ISceneNode* group = groupOf(sorn::editor.device);
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = sorn::sceneTextOfNodes({group});
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["text_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_CopyTenThousandCubes)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_EngineCopyTenThousandCubes(benchmark::State& state) {
    bench::EditorStateOn editorScene(deviceWithGroup());
    scene::ISceneNode* group = groupOf(sorn::editor.device);
    std::vector<char> buffer;
    s32 bytes = 0;
    for (auto _ : state)
        bytes = engineTextOf(group, buffer);
    state.counters["text_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_EngineCopyTenThousandCubes)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_PasteTenThousandCubes(benchmark::State& state) {
    bench::EditorStateOn editorScene(deviceWithGroup());
    scene::ISceneNode* group = groupOf(sorn::editor.device);
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
BENCHMARK(BM_PasteTenThousandCubes)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_EnginePasteTenThousandCubes(benchmark::State& state) {
    bench::EditorStateOn editorScene(deviceWithGroup());
    scene::ISceneNode* group = groupOf(sorn::editor.device);
    std::vector<char> buffer;
    const s32 length = engineTextOf(group, buffer);
    scene::ISceneNode* root = sorn::editor.sceneManager->getRootSceneNode();
    const size_t before = root->getChildren().size();
    size_t made = 0;
    for (auto _ : state) {
        io::IReadFile* file =
            sorn::editor.device->getFileSystem()->createMemoryReadFile(buffer.data(), length, "paste.irr");
        sorn::editor.sceneManager->loadScene(file, nullptr, root);
        file->drop();
        state.PauseTiming();
        made = root->getChildren().size() > before ? (*root->getChildren().getLast())->getChildren().size() : 0;
        removePasted(root, before);
        state.ResumeTiming();
    }
    state.counters["cubes_pasted"] = static_cast<double>(made);
}
BENCHMARK(BM_EnginePasteTenThousandCubes)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace
