// What the quarantine costs against opening the scene it guards: the engine's
// sample scene (example.irr with room.3ds and four textures) and a scene of
// 10,000 nodes (cubes with a texture and static and animated meshes of two
// models). "Open" loads the scene on the null driver (cheaper than the OpenGL
// driver, which also uploads textures: the ratio is on the safe side);
// "Check" checks the distinct files the scene refers to with no verdict kept.
// "AsTheEditorDoes" opens the scene as File > Open scene does, without the
// checks (checks:0), with them on a first open (checks:1: an empty cache
// folder and no verdict of the run, so every file is checked; an image check
// hands its decoded image back for the texture) and on a repeated open
// (checks:2: a fresh run with the verdicts of an earlier one on disk). The
// difference to checks:0 is what the quarantine adds. Verdicts are kept in a
// folder of the benchmark's own, never in the user's cache.
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/EditorState.h"
#include "files/OpenFile.h"
#include "files/Quarantine.h"
#include "files/SceneScan.h"
#include "files/VerdictCacheFile.h"

namespace {

using namespace irr;

const std::string kMedia = "/usr/share/doc/libirrlicht-dev/media";

IrrlichtDevice* quietDevice() {
    IrrlichtDevice* device = createDevice(video::EDT_NULL);
    device->getLogger()->setLogLevel(ELL_NONE);
    return device;
}

// Copies a file of the engine's media (gzipped or not) to target.
void copyMedia(IrrlichtDevice* device, const std::string& name, const std::string& target) {
    io::IFileSystem* files = device->getFileSystem();
    const bool gz = name.size() > 3 && name.compare(name.size() - 3, 3, ".gz") == 0;
    if (gz)
        files->addFileArchive((kMedia + "/" + name).c_str(), false, true, io::EFAT_GZIP);
    const std::string source = gz ? name.substr(0, name.size() - 3) : kMedia + "/" + name;
    io::IReadFile* in = files->createAndOpenFile(source.c_str());
    io::IWriteFile* out = files->createAndWriteFile(target.c_str());
    if (in && out) {
        std::vector<char> bytes(static_cast<size_t>(in->getSize()));
        in->read(bytes.data(), static_cast<u32>(bytes.size()));
        out->write(bytes.data(), static_cast<u32>(bytes.size()));
    }
    if (in)
        in->drop();
    if (out)
        out->drop();
    if (gz)
        files->removeFileArchive(files->getFileArchiveCount() - 1);
}

// root/media holds the media, root/scenes/sample the scenes (example.irr
// names its files "../../media/...").
struct BenchFolder {
    std::string root;
    std::string scenes;

    BenchFolder() {
        char pattern[] = "/tmp/sorn-bench-XXXXXX";
        root = mkdtemp(pattern);
        mkdir((root + "/media").c_str(), 0700);
        mkdir((root + "/scenes").c_str(), 0700);
        scenes = root + "/scenes/sample";
        mkdir(scenes.c_str(), 0700);
        IrrlichtDevice* device = quietDevice();
        for (const char* name : {"room.3ds.gz", "particlewhite.bmp.gz", "particlered.bmp.gz", "sydney.md2.gz",
                                 "ninja.b3d.gz"})
            copyMedia(device, name, root + "/media/" + std::string(name, std::string(name).size() - 3));
        for (const char* name : {"wall.jpg", "rockwall.jpg", "sydney.bmp.gz"})
            copyMedia(device, name, root + "/media/" + std::string(name).substr(0, std::string(name).find(".gz")));
        copyMedia(device, "example.irr.gz", scenes + "/example.irr");
        writeLargeScene(device);
        for (int i = 0; i < 5; ++i) {
            std::ofstream triangle(root + "/media/triangle" + std::to_string(i) + ".obj");
            triangle << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
        }
        device->drop();
    }
    ~BenchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    // 10,000 nodes: cubes with the wall texture, static room meshes and
    // animated ninjas, in groups of a hundred under empty nodes.
    void writeLargeScene(IrrlichtDevice* device) {
        io::IFileSystem* files = device->getFileSystem();
        files->changeWorkingDirectoryTo(scenes.c_str());
        scene::ISceneManager* smgr = device->getSceneManager();
        video::ITexture* wall = device->getVideoDriver()->getTexture("../../media/wall.jpg");
        scene::IAnimatedMesh* room = smgr->getMesh("../../media/room.3ds");
        scene::IAnimatedMesh* ninja = smgr->getMesh("../../media/ninja.b3d");
        for (int group = 0; group < 100; ++group) {
            scene::ISceneNode* parent = smgr->addEmptySceneNode();
            for (int i = 0; i < 99; ++i) {
                scene::ISceneNode* node = nullptr;
                if (i % 3 == 0)
                    node = smgr->addCubeSceneNode(10.f, parent);
                else if (i % 3 == 1)
                    node = smgr->addMeshSceneNode(room, parent);
                else
                    node = smgr->addAnimatedMeshSceneNode(ninja, parent);
                node->setMaterialTexture(0, wall);
                node->setPosition(core::vector3df(static_cast<f32>(i), static_cast<f32>(group), 0.f));
            }
        }
        smgr->saveScene((scenes + "/large.irr").c_str());
    }
};

BenchFolder& folder() {
    static BenchFolder instance;
    return instance;
}

// The CPU time a process has used (with its reaped children's), read from
// /proc; 0 when it is gone.
double processCpuMilliseconds(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    if (text.empty())
        return 0;
    // The fields after the command name (which may hold spaces) in parentheses.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int index = 3; fields >> field && index <= 17; ++index)
        if (index >= 14)
            ticks += std::stod(field); // utime, stime, cutime, cstime
    return ticks * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Waits (at most 5 s) until the check server's workers made ahead of time
// are ready, each asleep waiting for a file: as when the user picks a file
// some moments after the editor started.
void waitForReadyWorkers() {
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    const size_t workers = processors < 1 ? 1 : processors > 4 ? 4 : static_cast<size_t>(processors);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < until) {
        const int server = sorn::fileCheckServerProcess();
        std::ifstream children("/proc/" + std::to_string(server) + "/task/" + std::to_string(server) + "/children");
        size_t asleep = 0, seen = 0;
        for (int worker = 0; children >> worker; ++seen) {
            std::ifstream stat("/proc/" + std::to_string(worker) + "/stat");
            std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
            const size_t state = text.rfind(')');
            asleep += state != std::string::npos && state + 2 < text.size() && text[state + 2] == 'S' ? 1 : 0;
        }
        if (seen >= workers && asleep == seen)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// The CPU time of the check server and of its workers, running or reaped.
double checkCpuMilliseconds() {
    const int server = sorn::fileCheckServerProcess();
    double total = processCpuMilliseconds(server);
    std::ifstream children("/proc/" + std::to_string(server) + "/task/" + std::to_string(server) + "/children");
    for (int worker = 0; children >> worker;)
        total += processCpuMilliseconds(worker);
    return total;
}

void openScene(benchmark::State& state, const char* scene) {
    BenchFolder& bench = folder();
    for (auto _ : state) {
        IrrlichtDevice* device = quietDevice();
        device->getFileSystem()->changeWorkingDirectoryTo(bench.scenes.c_str());
        benchmark::DoNotOptimize(device->getSceneManager()->loadScene(scene));
        state.PauseTiming();
        device->drop();
        state.ResumeTiming();
    }
}

// The cache folder of the benchmark: emptied for a first open.
void useCacheFolder(const BenchFolder& bench, bool empty) {
    // SORN_BENCH_CACHE_ROOT puts it on another file system (/dev/shm: no
    // cost of flushing the written file to disk).
    const char* root = std::getenv("SORN_BENCH_CACHE_ROOT");
    const std::string folder = (root && *root == '/' ? std::string(root) : bench.root) + "/cache/sorn-editor";
    if (empty) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    sorn::setVerdictCacheFolder(folder);
}

void checkFiles(benchmark::State& state, const std::vector<sorn::UntrustedFile>& files) {
    BenchFolder& bench = folder();
    sorn::setFileCheckProgram(std::string(SORN_RUNTIME_DIR) + "/sorn-filecheck");
    useCacheFolder(bench, true);
    if (chdir(bench.scenes.c_str()) != 0)
        state.SkipWithError("no scene folder");
    // The checks' own CPU time, which the CPU column leaves out.
    double checksCpu = 0;
    for (auto _ : state) {
        // As when the user picks a file in a fresh run: the server and its
        // workers started ahead of time have had the moment to get ready.
        state.PauseTiming();
        useCacheFolder(bench, true);
        sorn::forgetFileVerdicts();
        sorn::stopFileCheckServer();
        sorn::prepareFileChecks();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        waitForReadyWorkers();
        const double checksBefore = checkCpuMilliseconds();
        state.ResumeTiming();
        const std::vector<sorn::FileVerdict> verdicts = sorn::checkUntrustedFiles(files);
        for (sorn::FileVerdict verdict : verdicts)
            if (verdict != sorn::FileVerdict::Safe)
                state.SkipWithError("a sample file was not found safe");
        state.PauseTiming();
        checksCpu += checkCpuMilliseconds() - checksBefore;
        state.ResumeTiming();
    }
    state.counters["check_cpu_ms"] = benchmark::Counter(checksCpu / static_cast<double>(state.iterations()));
}

enum class Checks { None, FirstOpen, RepeatedOpen };

// The open as File > Open scene does it once the file is chosen: one read
// that scans the scene as the engine is handed it, the check of each file
// the scene names started as the scan meets its name, collected by the gate
// before the engine parses. Each check of an image hands its decoded image
// back, so the load does not decode it again.
bool openOnce(const BenchFolder& bench, const char* scene, bool withChecks) {
    const sorn::SceneGate admit = [&](const sorn::SceneScan& scan) {
        return !withChecks || sorn::admitSceneReferences(scan, bench.scenes);
    };
    sorn::FileRefusal why;
    return sorn::loadSceneInOnePass(scene, sorn::editor.sceneManager->getRootSceneNode(), admit, why,
                                    withChecks ? sorn::sceneReferenceHook(bench.scenes) : nullptr);
}

void openAsTheEditorDoes(benchmark::State& state, const char* scene, Checks checks) {
    BenchFolder& bench = folder();
    sorn::setFileCheckProgram(std::string(SORN_RUNTIME_DIR) + "/sorn-filecheck");
    useCacheFolder(bench, true);
    auto makeDevice = [&] {
        IrrlichtDevice* device = quietDevice();
        sorn::editor.device = device;
        sorn::editor.sceneManager = device->getSceneManager();
        device->getFileSystem()->changeWorkingDirectoryTo(bench.scenes.c_str());
        return device;
    };
    auto dropDevice = [](IrrlichtDevice* device) {
        sorn::editor.device = nullptr;
        sorn::editor.sceneManager = nullptr;
        device->drop();
    };
    if (checks == Checks::RepeatedOpen) {
        // An earlier run opened the scene: its verdicts are on disk.
        sorn::forgetFileVerdicts();
        IrrlichtDevice* device = makeDevice();
        if (!openOnce(bench, scene, true))
            state.SkipWithError("the scene did not open");
        dropDevice(device);
    }
    for (auto _ : state) {
        state.PauseTiming();
        // A fresh run, as the editor starts: the check server started and
        // its program known ahead of time.
        if (checks == Checks::FirstOpen) {
            useCacheFolder(bench, true);
            sorn::stopFileCheckServer(); // its workers have loaded nothing yet
        }
        sorn::forgetFileVerdicts();
        sorn::prepareFileChecks();
        IrrlichtDevice* device = makeDevice();
        // As when the user picks a file: the check server has had a moment since the last.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        waitForReadyWorkers();
        state.ResumeTiming();
        if (!openOnce(bench, scene, checks != Checks::None))
            state.SkipWithError("the scene did not open");
        state.PauseTiming();
        dropDevice(device);
        state.ResumeTiming();
    }
}

void BM_OpenSampleSceneAsTheEditorDoes(benchmark::State& state) {
    openAsTheEditorDoes(state, "example.irr", static_cast<Checks>(state.range(0)));
}

void BM_OpenLargeSceneAsTheEditorDoes(benchmark::State& state) {
    openAsTheEditorDoes(state, "large.irr", static_cast<Checks>(state.range(0)));
}

void BM_OpenSampleScene(benchmark::State& state) {
    openScene(state, "example.irr");
}

void BM_CheckSampleSceneFiles(benchmark::State& state) {
    checkFiles(state, {{"../../media/room.3ds", sorn::UntrustedKind::Model},
                       {"../../media/wall.jpg", sorn::UntrustedKind::Image},
                       {"../../media/particlewhite.bmp", sorn::UntrustedKind::Image},
                       {"../../media/rockwall.jpg", sorn::UntrustedKind::Image},
                       {"../../media/particlered.bmp", sorn::UntrustedKind::Image}});
}

void BM_OpenLargeScene(benchmark::State& state) {
    openScene(state, "large.irr");
}

void BM_CheckLargeSceneFiles(benchmark::State& state) {
    checkFiles(state, {{"../../media/room.3ds", sorn::UntrustedKind::Model},
                       {"../../media/ninja.b3d", sorn::UntrustedKind::Model},
                       {"../../media/wall.jpg", sorn::UntrustedKind::Image}});
}

// The check machinery alone: five files whose load costs next to nothing.
void BM_CheckTrivialFiles(benchmark::State& state) {
    std::vector<sorn::UntrustedFile> files;
    for (int i = 0; i < 5; ++i)
        files.push_back({"../../media/triangle" + std::to_string(i) + ".obj", sorn::UntrustedKind::Model});
    checkFiles(state, files);
}

BENCHMARK(BM_OpenSampleScene)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSampleSceneAsTheEditorDoes)->ArgName("checks")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CheckSampleSceneFiles)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CheckTrivialFiles)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenLargeScene)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenLargeSceneAsTheEditorDoes)->ArgName("checks")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CheckLargeSceneFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
