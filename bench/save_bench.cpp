// Saving a scene of 10,000 cubes as File > Save does (sorn::saveSceneFile:
// the engine's writer through the 8-bit text file beside the target, decimal
// commas rewritten in place, flushed, renamed over the target) against the
// engine's own saveScene of the same scene to a file, in the "C" locale and
// in a decimal-comma locale (de_DE.UTF-8, where the engine writes "1,5").
// Run with --benchmark_enable_random_interleaving=true and repetitions.
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <clocale>
#include <string>

#include "BenchScene.h"
#include "app/EditorState.h"
#include "files/SceneSave.h"

namespace {

using namespace irr;

constexpr int kCubes = 10000;

// The scene, made once for every run of the program.
struct SaveScene {
    SaveScene() {
        device = bench::nullDevice();
        bench::addVariedCubes(device->getSceneManager(), kCubes);
        engineFile = folder.file("engine.irr");
        editorFile = folder.file("editor.irr");
    }

    IrrlichtDevice* device = nullptr;
    bench::TempFolder folder;
    std::string engineFile;
    std::string editorFile;
};

SaveScene& saveScene() {
    static SaveScene scene;
    return scene;
}

// Argument 1: the process in a decimal-comma locale while saving; the report
// itself is printed in the "C" locale again.
class SaveLocale {
public:
    explicit SaveLocale(benchmark::State& state) {
        if (state.range(0) == 1 && !std::setlocale(LC_ALL, "de_DE.UTF-8"))
            state.SkipWithError("no de_DE.UTF-8 locale (locale-gen it)");
    }
    ~SaveLocale() { std::setlocale(LC_ALL, "C"); }
};

void BM_EngineSaveScene(benchmark::State& state) {
    SaveScene& scene = saveScene();
    SaveLocale locale(state);
    for (auto _ : state)
        if (!scene.device->getSceneManager()->saveScene(scene.engineFile.c_str()))
            state.SkipWithError("the engine did not save");
    state.counters["file_MB"] = bench::fileMegabytes(scene.engineFile);
}

void BM_EditorSaveSceneFile(benchmark::State& state) {
    SaveScene& scene = saveScene();
    SaveLocale locale(state);
    bench::EditorStateOn editorScene(scene.device);
    bench::QuietStdout quiet; // the save's trace lines
    for (auto _ : state)
        if (!sorn::saveSceneFile(scene.editorFile))
            state.SkipWithError("the editor did not save");
    state.counters["file_MB"] = bench::fileMegabytes(scene.editorFile);
}

void locales(benchmark::internal::Benchmark* bench) {
    bench->ArgName("decimal_comma")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
}
BENCHMARK(BM_EngineSaveScene)->Apply(locales);
BENCHMARK(BM_EditorSaveSceneFile)->Apply(locales);

} // namespace
