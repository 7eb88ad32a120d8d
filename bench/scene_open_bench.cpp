// Opening a large scene with the editor's openFile (scan, then the engine
// reading the scanned bytes) against the engine's own loadScene of the same
// file, in time and in peak memory; the scan on its own; saving with the
// editor's post-processing against saveScene alone.
// Scenes of 10,000 cubes (about 120 MB of UTF-32 text) are always measured;
// 100,000 cubes (about 1.2 GB, written once to /tmp) only when the
// environment holds SORN_BENCH_LARGE=1.
// Every open runs in a child process of its own, so that its peak resident
// memory is its own: "peak_MB" is the child's highest resident size less what
// it held before opening. Run with --benchmark_enable_random_interleaving=true
// and repetitions on a shared machine.
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "app/EditorState.h"
#include "files/OpenFile.h"
#include "files/SceneScan.h"
#include "files/ScenePostProcess.h"

namespace {

using namespace irr;

std::string sceneFile(int nodes) {
    static std::map<int, std::string> files;
    auto found = files.find(nodes);
    if (found != files.end())
        return found->second;
    const std::string path = "/tmp/sorn-bench-open-" + std::to_string(nodes) + ".irr";
    std::ifstream existing(path, std::ios::binary | std::ios::ate);
    if (!existing || existing.tellg() < nodes * 1000L) {
        IrrlichtDevice* device = createDevice(video::EDT_NULL);
        device->getLogger()->setLogLevel(ELL_NONE);
        scene::ISceneManager* smgr = device->getSceneManager();
        for (int i = 0; i < nodes; ++i)
            smgr->addCubeSceneNode(10.f + i % 7, nullptr, -1,
                                   core::vector3df(i * 1.5f, -i * 0.25f, i % 100 * 3.125f),
                                   core::vector3df(i % 360 * 1.5f, 0.5f, 0.f));
        smgr->saveScene(path.c_str());
        device->drop();
    }
    return files[nodes] = path;
}

long statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0)
            return std::strtol(line.c_str() + length + 1, nullptr, 10);
    return -1;
}

struct Outcome {
    double seconds = 0;
    long peakKb = 0;
    int ok = 0;
};

// Runs the open in a child with a fresh null device, after resetting the
// child's recorded peak to its current resident size.
template <typename Open>
Outcome inChild(Open open) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        IrrlichtDevice* device = createDevice(video::EDT_NULL);
        device->getLogger()->setLogLevel(ELL_NONE);
        {
            std::ofstream clear("/proc/self/clear_refs");
            clear << "5";
        }
        const long before = statusKb("VmRSS:");
        const auto start = std::chrono::steady_clock::now();
        Outcome outcome;
        outcome.ok = open(device) ? 1 : 0;
        outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        outcome.peakKb = statusKb("VmHWM:") - before;
        if (write(pipeEnds[1], &outcome, sizeof outcome) != sizeof outcome)
            _exit(1);
        _exit(0);
    }
    close(pipeEnds[1]);
    Outcome outcome;
    if (child < 0 || read(pipeEnds[0], &outcome, sizeof outcome) != sizeof outcome)
        outcome = Outcome();
    close(pipeEnds[0]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return outcome;
}

template <typename Open>
void measureOpen(benchmark::State& state, Open open) {
    const std::string file = sceneFile(static_cast<int>(state.range(0)));
    double peak = 0;
    for (auto _ : state) {
        const Outcome outcome = inChild([&](IrrlichtDevice* device) { return open(device, file); });
        if (!outcome.ok) {
            state.SkipWithError("the scene did not open");
            return;
        }
        state.SetIterationTime(outcome.seconds);
        peak = outcome.peakKb / 1024.0;
    }
    state.counters["peak_MB"] = peak;
}

void EngineLoadScene(benchmark::State& state) {
    measureOpen(state, [](IrrlichtDevice* device, const std::string& file) {
        return device->getSceneManager()->loadScene(file.c_str());
    });
}

void EditorOpenFile(benchmark::State& state) {
    measureOpen(state, [](IrrlichtDevice* device, const std::string& file) {
        sorn::editor.device = device;
        sorn::editor.sceneManager = device->getSceneManager();
        return sorn::openFile(file, false);
    });
}

void ScanOnly(benchmark::State& state) {
    measureOpen(state, [](IrrlichtDevice* device, const std::string& file) {
        return sorn::scanSceneFile(device->getFileSystem(), file.c_str()).accepted();
    });
}

// The post-processing trace lines go to /dev/null while measuring.
class QuietStdout {
public:
    QuietStdout() {
        std::fflush(stdout);
        saved_ = dup(1);
        int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            close(null);
        }
    }
    ~QuietStdout() {
        std::fflush(stdout);
        if (saved_ >= 0) {
            dup2(saved_, 1);
            close(saved_);
        }
    }

private:
    int saved_ = -1;
};

template <bool PostProcess>
void Save(benchmark::State& state) {
    const std::string file = sceneFile(static_cast<int>(state.range(0)));
    const std::string target = file + ".saved.irr";
    IrrlichtDevice* device = createDevice(video::EDT_NULL);
    device->getLogger()->setLogLevel(ELL_NONE);
    device->getSceneManager()->loadScene(file.c_str());
    QuietStdout quiet;
    for (auto _ : state) {
        device->getSceneManager()->saveScene(target.c_str());
        if (PostProcess)
            sorn::postProcessScene(core::stringw(target.c_str()));
    }
    device->drop();
    std::remove(target.c_str());
}

void EngineSaveScene(benchmark::State& state) { Save<false>(state); }
void EditorSave(benchmark::State& state) { Save<true>(state); }

void sizes(benchmark::internal::Benchmark* bench) {
    bench->Arg(10000);
    const char* large = std::getenv("SORN_BENCH_LARGE");
    if (large && std::string(large) == "1")
        bench->Arg(100000);
    bench->Unit(benchmark::kMillisecond)->Iterations(3);
}

BENCHMARK(EngineLoadScene)->Apply(sizes)->UseManualTime();
BENCHMARK(EditorOpenFile)->Apply(sizes)->UseManualTime();
BENCHMARK(ScanOnly)->Apply(sizes)->UseManualTime();
BENCHMARK(EngineSaveScene)->Apply(sizes)->UseRealTime();
BENCHMARK(EditorSave)->Apply(sizes)->UseRealTime();

} // namespace
