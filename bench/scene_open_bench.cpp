// Opening a large scene with the editor's openFile (the file read once, scanned
// as the engine's reader is handed it) against the engine's own loadScene of
// the same file, in time and in peak memory, for the UTF-8 file the editor
// saves and the UTF-32 file the engine (and earlier versions of the editor)
// wrote; saving with the editor's saveSceneFile (the UTF-8 transcoding
// writer, written beside the target and renamed over it) against saveScene.
// Scenes of 10,000 cubes are always measured; 100,000 cubes (about 1.2 GB in
// UTF-32, written once to /tmp) only when the environment holds
// SORN_BENCH_LARGE=1. Arguments: node count, then 0 for the UTF-8 file and 1
// for the UTF-32 one.
// Every open runs in a child process of its own, so that its peak resident
// memory is its own: "peak_MB" is the child's highest resident size less what
// it held before opening, "cpu_ms" the child's processor time for the open. Run with --benchmark_enable_random_interleaving=true
// and repetitions on a shared machine.
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "files/OpenFile.h"
#include "files/SceneSave.h"
#include "files/SceneScan.h"
#include "scene/TextNodeData.h"

namespace {

using namespace irr;

void quietStdout(bool quiet);

// The scene of that many cubes as the engine writes it (UTF-32) or as the
// editor saves it (UTF-8), written once.
std::string sceneFile(int nodes, bool utf8) {
    static std::map<std::pair<int, bool>, std::string> files;
    auto found = files.find({nodes, utf8});
    if (found != files.end())
        return found->second;
    const std::string path =
        "/tmp/sorn-bench-open-" + std::to_string(nodes) + (utf8 ? "-utf8" : "") + ".irr";
    std::ifstream existing(path, std::ios::binary | std::ios::ate);
    if (!existing || existing.tellg() < nodes * 250L) {
        IrrlichtDevice* device = createDevice(video::EDT_NULL);
        device->getLogger()->setLogLevel(ELL_NONE);
        scene::ISceneManager* smgr = device->getSceneManager();
        for (int i = 0; i < nodes; ++i)
            smgr->addCubeSceneNode(10.f + i % 7, nullptr, -1,
                                   core::vector3df(i * 1.5f, -i * 0.25f, i % 100 * 3.125f),
                                   core::vector3df(i % 360 * 1.5f, 0.5f, 0.f));
        if (utf8) {
            sorn::editor.device = device;
            sorn::editor.sceneManager = smgr;
            quietStdout(true);
            sorn::saveSceneFile(path, sorn::textNodeUserData());
            quietStdout(false);
            sorn::editor.device = nullptr;
            sorn::editor.sceneManager = nullptr;
        } else {
            smgr->saveScene(path.c_str());
        }
        device->drop();
    }
    return files[{nodes, utf8}] = path;
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

double cpuSeconds() {
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Outcome {
    double seconds = 0;
    double cpuSeconds = 0;
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
        const double cpuStart = cpuSeconds();
        Outcome outcome;
        outcome.ok = open(device) ? 1 : 0;
        outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        outcome.cpuSeconds = cpuSeconds() - cpuStart;
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
    const std::string file = sceneFile(static_cast<int>(state.range(0)), state.range(1) == 0);
    double peak = 0;
    double cpu = 0;
    for (auto _ : state) {
        const Outcome outcome = inChild([&](IrrlichtDevice* device) { return open(device, file); });
        if (!outcome.ok) {
            state.SkipWithError("the scene did not open");
            return;
        }
        state.SetIterationTime(outcome.seconds);
        peak = outcome.peakKb / 1024.0;
        cpu += outcome.cpuSeconds * 1e3;
    }
    state.counters["peak_MB"] = peak;
    // The open's own processor time (user and system), steadier than the
    // wall time on a shared machine.
    state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
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

// The save's trace lines go to /dev/null while measuring.
void quietStdout(bool quiet) {
    static int saved = -1;
    std::fflush(stdout);
    if (quiet && saved < 0) {
        saved = dup(1);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            close(null);
        }
    } else if (!quiet && saved >= 0) {
        dup2(saved, 1);
        close(saved);
        saved = -1;
    }
}

// The same scene saved again and again to one target, by the engine or as
// the editor's File > Save writes it.
template <bool Editor>
void Save(benchmark::State& state) {
    const std::string file = sceneFile(static_cast<int>(state.range(0)), false);
    const std::string target = file + ".saved.irr";
    IrrlichtDevice* device = createDevice(video::EDT_NULL);
    device->getLogger()->setLogLevel(ELL_NONE);
    scene::ISceneManager* smgr = device->getSceneManager();
    smgr->loadScene(file.c_str());
    sorn::editor.device = device;
    sorn::editor.sceneManager = smgr;
    quietStdout(true);
    for (auto _ : state) {
        const bool saved = Editor ? sorn::saveSceneFile(target, sorn::textNodeUserData())
                                  : smgr->saveScene(target.c_str());
        if (!saved)
            state.SkipWithError("the scene was not saved");
    }
    quietStdout(false);
    struct stat status {};
    state.counters["file_MB"] = ::stat(target.c_str(), &status) == 0 ? status.st_size / 1e6 : 0.0;
    sorn::editor.device = nullptr;
    sorn::editor.sceneManager = nullptr;
    device->drop();
    std::remove(target.c_str());
}

// The scanner alone over the scene's text held in memory, in the pieces the
// open reads, for its cost per unit beside the engine's parse.
void SceneScanAlone(benchmark::State& state) {
    const std::string file = sceneFile(static_cast<int>(state.range(0)), state.range(1) == 0);
    std::ifstream in(file, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const bool wide = state.range(1) != 0;
    const size_t mark = wide ? 4 : 0;
    constexpr size_t kPiece = 1 << 16;
    for (auto _ : state) {
        sorn::SceneScanner scanner;
        for (size_t at = mark; at < bytes.size(); at += kPiece) {
            const size_t count = std::min(kPiece, bytes.size() - at);
            if (wide)
                scanner.feed(reinterpret_cast<const uint32_t*>(bytes.data() + at), count / 4);
            else
                scanner.feed(bytes.data() + at, count);
        }
        if (!scanner.finish().accepted())
            state.SkipWithError("the scan refused the scene");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void EngineSaveScene(benchmark::State& state) { Save<false>(state); }
void EditorSave(benchmark::State& state) { Save<true>(state); }

bool large() {
    const char* flag = std::getenv("SORN_BENCH_LARGE");
    return flag && std::string(flag) == "1";
}

void openSizes(benchmark::internal::Benchmark* bench) {
    for (int encoding : {0, 1})
        bench->Args({10000, encoding});
    bench->Unit(benchmark::kMillisecond)->Iterations(3);
}

// One open a repetition at 100,000 nodes (half a minute each).
void largeOpenSizes(benchmark::internal::Benchmark* bench) {
    for (int encoding : {0, 1})
        bench->Args({100000, encoding});
    bench->Unit(benchmark::kMillisecond)->Iterations(1);
}

void saveSizes(benchmark::internal::Benchmark* bench) {
    bench->Args({10000});
    if (large())
        bench->Args({100000});
    bench->Unit(benchmark::kMillisecond)->Iterations(3);
}

BENCHMARK(EngineLoadScene)->Apply(openSizes)->UseManualTime();
BENCHMARK(EditorOpenFile)->Apply(openSizes)->UseManualTime();
const bool kLargeOpens = large() && benchmark::RegisterBenchmark("EngineLoadScene", EngineLoadScene)
                                            ->Apply(largeOpenSizes)
                                            ->UseManualTime() &&
                         benchmark::RegisterBenchmark("EditorOpenFile", EditorOpenFile)
                                            ->Apply(largeOpenSizes)
                                            ->UseManualTime();
BENCHMARK(SceneScanAlone)->Apply(openSizes)->UseRealTime();
BENCHMARK(EngineSaveScene)->Apply(saveSizes)->UseRealTime();
BENCHMARK(EditorSave)->Apply(saveSizes)->UseRealTime();

} // namespace
