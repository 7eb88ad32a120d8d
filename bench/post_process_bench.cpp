// Post-processing of a large saved scene (10,000 cubes, written by the engine
// in a decimal-comma locale: about 120 MB of UTF-32 text) against a plain
// copy of the same file, saving with and without post-processing, and a file
// that needs no change.
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <fcntl.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "files/SceneSave.h"
#include "files/ScenePostProcess.h"

namespace {

using namespace irr;

// The post-processing trace lines go to /dev/null while measuring, so that
// they neither cost terminal time nor break the report's table.
class QuietStdout {
public:
    QuietStdout() {
        std::fflush(stdout);
        saved_ = ::dup(1);
        int null = ::open("/dev/null", O_WRONLY);
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

// The engine writes decimal commas while the process is in a German locale;
// the report itself is printed in the "C" locale again.
struct DecimalCommaLocale {
    bool active = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    ~DecimalCommaLocale() { std::setlocale(LC_ALL, "C"); }
};

struct BenchScene {
    IrrlichtDevice* device = nullptr;
    std::string folder;
    std::string engineFile;   // as the engine wrote it, with decimal commas
    std::string workFile;     // rewritten by each iteration
    std::string cleanFile;    // already post-processed
    bool decimalComma = false;

    BenchScene() {
        char pattern[] = "/tmp/sorn-bench-XXXXXX";
        folder = mkdtemp(pattern) ? pattern : "/tmp";
        engineFile = folder + "/engine.irr";
        workFile = folder + "/work.irr";
        cleanFile = folder + "/clean.irr";
        device = createDevice(video::EDT_NULL);
        device->getLogger()->setLogLevel(ELL_NONE);
        scene::ISceneManager* smgr = device->getSceneManager();
        for (int i = 0; i < 10000; ++i)
            smgr->addCubeSceneNode(10.f + i % 7, nullptr, -1,
                                   core::vector3df(i * 1.5f, -i * 0.25f, i % 100 * 3.125f),
                                   core::vector3df(i % 360 * 1.5f, 0.5f, 0.f));
        {
            DecimalCommaLocale locale;
            decimalComma = locale.active;
            smgr->saveScene(engineFile.c_str());
        }
        copyFile(engineFile, cleanFile);
        QuietStdout quiet;
        sorn::postProcessScene(core::stringw(cleanFile.c_str()));
    }

    ~BenchScene() {
        device->drop();
        for (const std::string& file : {engineFile, workFile, cleanFile})
            std::remove(file.c_str());
        rmdir(folder.c_str());
    }

    static size_t copyFile(const std::string& from, const std::string& to) {
        int in = ::open(from.c_str(), O_RDONLY);
        int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<char> block(1 << 20);
        size_t total = 0;
        ssize_t got;
        while (in >= 0 && out >= 0 && (got = ::read(in, block.data(), block.size())) > 0) {
            if (::write(out, block.data(), static_cast<size_t>(got)) != got)
                break;
            total += static_cast<size_t>(got);
        }
        if (in >= 0)
            ::close(in);
        if (out >= 0)
            ::close(out);
        return total;
    }
};

BenchScene& scene() {
    static BenchScene instance;
    return instance;
}

void PlainCopy(benchmark::State& state) {
    BenchScene& s = scene();
    size_t bytes = 0;
    for (auto _ : state)
        bytes += BenchScene::copyFile(s.engineFile, s.workFile);
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

// Reading the file once, for the file that needs no change.
void PlainRead(benchmark::State& state) {
    BenchScene& s = scene();
    std::vector<char> block(1 << 20);
    size_t bytes = 0;
    for (auto _ : state) {
        int in = ::open(s.engineFile.c_str(), O_RDONLY);
        ssize_t got;
        while (in >= 0 && (got = ::read(in, block.data(), block.size())) > 0)
            bytes += static_cast<size_t>(got);
        if (in >= 0)
            ::close(in);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void PostProcess(benchmark::State& state) {
    BenchScene& s = scene();
    QuietStdout quiet;
    size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bytes += BenchScene::copyFile(s.engineFile, s.workFile);
        state.ResumeTiming();
        if (!sorn::postProcessScene(core::stringw(s.workFile.c_str())))
            state.SkipWithError("post-processing failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.SetLabel(s.decimalComma ? "decimal commas" : "no de_DE locale: nothing to change");
}

void PostProcessNoChange(benchmark::State& state) {
    BenchScene& s = scene();
    QuietStdout quiet;
    for (auto _ : state)
        sorn::postProcessScene(core::stringw(s.cleanFile.c_str()));
}

void SaveScene(benchmark::State& state) {
    BenchScene& s = scene();
    DecimalCommaLocale locale;
    for (auto _ : state)
        s.device->getSceneManager()->saveScene(s.workFile.c_str());
}

void SaveAndPostProcess(benchmark::State& state) {
    BenchScene& s = scene();
    DecimalCommaLocale locale;
    QuietStdout quiet;
    for (auto _ : state) {
        s.device->getSceneManager()->saveScene(s.workFile.c_str());
        sorn::postProcessScene(core::stringw(s.workFile.c_str()));
    }
}

// The editor's save: the engine writes into a temporary file, which is
// post-processed in place, flushed to disk and renamed over the scene.
void SaveSceneFile(benchmark::State& state) {
    BenchScene& s = scene();
    DecimalCommaLocale locale;
    QuietStdout quiet;
    sorn::editor.sceneManager = s.device->getSceneManager();
    for (auto _ : state)
        if (!sorn::saveSceneFile(s.workFile))
            state.SkipWithError("saving failed");
    sorn::editor.sceneManager = nullptr;
}

BENCHMARK(PlainCopy)->Unit(benchmark::kMillisecond)->Iterations(8)->UseRealTime();
BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond)->Iterations(8)->UseRealTime();
BENCHMARK(PostProcess)->Unit(benchmark::kMillisecond)->Iterations(8)->UseRealTime();
BENCHMARK(PostProcessNoChange)->Unit(benchmark::kMillisecond)->Iterations(8)->UseRealTime();
BENCHMARK(SaveScene)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(SaveAndPostProcess)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(SaveSceneFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace
