// The editor's 8-bit save against the engine's own UTF-32 save of the same
// scene, and the editor's open of its file against the engine's loadScene of
// its own: 5,000 cubes (the case users met) and 10,000 nodes of several
// kinds with names and custom texts beyond ASCII. Each round runs the four
// in turn, the order reversed every other round, so that a busy moment of the
// shared machine falls on both sides; the medians of the rounds are printed
// with the file sizes and the ratios (counters hold the same figures).
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchScene.h"
#include "app/EditorState.h"
#include "files/OpenFile.h"
#include "files/SceneSave.h"
#include "scene/TextNodeData.h"

namespace {

using namespace irr;

constexpr int kRounds = 7;

// Cubes only, or a mix of kinds with names and custom texts beyond ASCII.
void buildScene(scene::ISceneManager* smgr, int nodes, bool mixed) {
    for (int i = 0; i < nodes; ++i) {
        const core::vector3df at(i * 1.5f, -i * 0.25f, i % 100 * 3.125f);
        scene::ISceneNode* node = nullptr;
        switch (mixed ? i % 5 : 0) {
        case 0: node = smgr->addCubeSceneNode(10.f + i % 7, nullptr, -1, at); break;
        case 1: node = smgr->addSphereSceneNode(5.f, 8, nullptr, -1, at); break;
        case 2: node = smgr->addLightSceneNode(nullptr, at); break;
        case 3: node = smgr->addBillboardSceneNode(nullptr, core::dimension2df(4, 4), at); break;
        default: {
            scene::ITextSceneNode* text = smgr->addTextSceneNode(smgr->getGUIEnvironment()->getBuiltInFont(),
                                                                 L"", video::SColor(255, 255, 255, 255), nullptr, at);
            sorn::setTextNodeData(text, L"Lumi\u00E8re \u20AC \u03A9", video::SColor(255, 200, 100, 50));
            node = text;
        }
        }
        if (mixed)
            node->setName(("Lumi\xE8re " + std::to_string(i)).c_str());
    }
}

void SaveAndReopenAgainstEngine(benchmark::State& state) {
    const int nodes = static_cast<int>(state.range(0));
    const bool mixed = state.range(1) != 0;
    bench::TempFolder folder;
    const std::string engineFile = folder.file("engine.irr");
    const std::string editorFile = folder.file("editor.irr");

    IrrlichtDevice* device = bench::nullDevice();
    scene::ISceneManager* smgr = device->getSceneManager();
    bench::EditorStateOn editorScene(device);
    std::vector<double> engineSave, editorSave, engineLoad, editorOpen;
    for (auto _ : state) {
        bench::QuietStdout quiet;
        for (int round = 0; round < kRounds; ++round) {
            smgr->clear();
            sorn::forgetTextNodeData();
            buildScene(smgr, nodes, mixed);
            auto saveEngine = [&] { engineSave.push_back(bench::millisecondsOf([&] {
                smgr->saveScene(engineFile.c_str(), sorn::textNodeUserData()); })); };
            auto saveEditor = [&] { editorSave.push_back(bench::millisecondsOf([&] {
                sorn::saveSceneFile(editorFile, sorn::textNodeUserData()); })); };
            auto loadEngine = [&] {
                smgr->clear();
                engineLoad.push_back(bench::millisecondsOf([&] {
                    smgr->loadScene(engineFile.c_str(), sorn::textNodeUserData()); }));
            };
            auto openEditor = [&] {
                smgr->clear();
                editorOpen.push_back(bench::millisecondsOf([&] { sorn::openFile(editorFile, false); }));
            };
            if (round % 2 == 0) {
                saveEngine(); saveEditor(); loadEngine(); openEditor();
            } else {
                saveEditor(); saveEngine(); openEditor(); loadEngine();
            }
        }
    }
    const double engineMb = bench::fileMegabytes(engineFile), editorMb = bench::fileMegabytes(editorFile);
    const double saveMs = bench::median(editorSave), engineSaveMs = bench::median(engineSave);
    const double openMs = bench::median(editorOpen), engineLoadMs = bench::median(engineLoad);
    std::printf("%d %s: engine UTF-32 file %.1f MB, editor file %.1f MB (%.3fx); medians of %d interleaved rounds:"
                " save %.0f ms against the engine's %.0f ms (%.2fx), reopen %.0f ms against %.0f ms (%.2fx)\n",
                nodes, mixed ? "mixed nodes" : "cubes", engineMb, editorMb, editorMb / engineMb, kRounds, saveMs,
                engineSaveMs, saveMs / engineSaveMs, openMs, engineLoadMs, openMs / engineLoadMs);
    state.counters["size_ratio"] = editorMb / engineMb;
    state.counters["save_ms"] = saveMs;
    state.counters["engine_save_ms"] = engineSaveMs;
    state.counters["open_ms"] = openMs;
    state.counters["engine_load_ms"] = engineLoadMs;

    smgr->clear();
    sorn::forgetTextNodeData();
    device->drop();
}

BENCHMARK(SaveAndReopenAgainstEngine)
    ->Args({5000, 0})
    ->Args({10000, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
