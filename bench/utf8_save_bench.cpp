// The editor's 8-bit save against the engine's own UTF-32 save of the same
// scene, and the editor's open of its file against the engine's loadScene of
// its own: 5,000 cubes (the case users met) and 10,000 nodes of several
// kinds with names and custom texts beyond ASCII. Each round runs the four
// in turn, the order reversed every other round, so that a busy moment of the
// shared machine falls on both sides; the medians of the rounds are printed
// with the file sizes and the ratios (counters hold the same figures).
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/EditorState.h"
#include "files/OpenFile.h"
#include "files/SceneSave.h"
#include "scene/TextNodeData.h"

namespace {

using namespace irr;

constexpr int kRounds = 7;

class QuietStdout {
public:
    QuietStdout() {
        std::fflush(stdout);
        saved_ = ::dup(1);
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, 1);
            ::close(null);
        }
    }
    ~QuietStdout() {
        std::fflush(stdout);
        if (saved_ >= 0) {
            ::dup2(saved_, 1);
            ::close(saved_);
        }
    }

private:
    int saved_ = -1;
};

double fileMb(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_size / 1e6 : 0.0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

template <typename Work>
double millisecondsOf(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

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
    char pattern[] = "/tmp/sorn-bench-utf8-XXXXXX";
    const std::string folder = ::mkdtemp(pattern) ? pattern : "/tmp";
    const std::string engineFile = folder + "/engine.irr";
    const std::string editorFile = folder + "/editor.irr";

    IrrlichtDevice* device = createDevice(video::EDT_NULL);
    device->getLogger()->setLogLevel(ELL_NONE);
    scene::ISceneManager* smgr = device->getSceneManager();
    sorn::editor.device = device;
    sorn::editor.sceneManager = smgr;
    std::vector<double> engineSave, editorSave, engineLoad, editorOpen;
    for (auto _ : state) {
        QuietStdout quiet;
        for (int round = 0; round < kRounds; ++round) {
            smgr->clear();
            sorn::forgetTextNodeData();
            buildScene(smgr, nodes, mixed);
            auto saveEngine = [&] { engineSave.push_back(millisecondsOf([&] {
                smgr->saveScene(engineFile.c_str(), sorn::textNodeUserData()); })); };
            auto saveEditor = [&] { editorSave.push_back(millisecondsOf([&] {
                sorn::saveSceneFile(editorFile, sorn::textNodeUserData()); })); };
            auto loadEngine = [&] {
                smgr->clear();
                engineLoad.push_back(millisecondsOf([&] {
                    smgr->loadScene(engineFile.c_str(), sorn::textNodeUserData()); }));
            };
            auto openEditor = [&] {
                smgr->clear();
                editorOpen.push_back(millisecondsOf([&] { sorn::openFile(editorFile, false); }));
            };
            if (round % 2 == 0) {
                saveEngine(); saveEditor(); loadEngine(); openEditor();
            } else {
                saveEditor(); saveEngine(); openEditor(); loadEngine();
            }
        }
    }
    const double engineMb = fileMb(engineFile), editorMb = fileMb(editorFile);
    std::printf("%d %s: engine UTF-32 file %.1f MB, editor file %.1f MB (%.3fx); medians of %d interleaved rounds:"
                " save %.0f ms against the engine's %.0f ms (%.2fx), reopen %.0f ms against %.0f ms (%.2fx)\n",
                nodes, mixed ? "mixed nodes" : "cubes", engineMb, editorMb, editorMb / engineMb, kRounds,
                median(editorSave), median(engineSave), median(editorSave) / median(engineSave), median(editorOpen),
                median(engineLoad), median(editorOpen) / median(engineLoad));
    state.counters["size_ratio"] = editorMb / engineMb;
    state.counters["save_ms"] = median(editorSave);
    state.counters["engine_save_ms"] = median(engineSave);
    state.counters["open_ms"] = median(editorOpen);
    state.counters["engine_load_ms"] = median(engineLoad);

    smgr->clear();
    sorn::forgetTextNodeData();
    sorn::editor.device = nullptr;
    sorn::editor.sceneManager = nullptr;
    device->drop();
    std::remove(engineFile.c_str());
    std::remove(editorFile.c_str());
    ::rmdir(folder.c_str());
}

BENCHMARK(SaveAndReopenAgainstEngine)
    ->Args({5000, 0})
    ->Args({10000, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
