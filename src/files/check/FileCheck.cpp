#include "files/check/FileCheck.h"

#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include <irrlicht.h>

#include "files/check/CheckedImage.h"
#include "files/check/CheckServerProcess.h"

namespace sorn {

namespace {

using namespace irr;

struct CheckArguments {
    CheckLimits limits;
    std::vector<std::string> archives;
    UntrustedKind kind = UntrustedKind::Model;
    std::string path;
};

bool parseCount(const char* text, unsigned long& value) {
    char* end = nullptr;
    value = std::strtoul(text, &end, 10);
    return end != text && *end == '\0';
}

// Options come in pairs; then either "--serve" or the kind and the path, so
// that a path that starts with "--" is still a path.
bool parseArguments(int argc, char** argv, CheckArguments& arguments, bool& serve) {
    serve = argc >= 2 && std::string(argv[argc - 1]) == "--serve";
    const int optionsEnd = serve ? argc - 1 : argc - 2;
    if (optionsEnd < 1 || (optionsEnd - 1) % 2 != 0)
        return false;
    for (int i = 1; i < optionsEnd; i += 2) {
        const std::string option = argv[i];
        if (option == "--memory") {
            if (!parseCount(argv[i + 1], arguments.limits.memoryMegabytes))
                return false;
        } else if (option == "--cpu") {
            if (!parseCount(argv[i + 1], arguments.limits.cpuSeconds))
                return false;
        } else if (option == "--wall" && serve) {
            if (!parseCount(argv[i + 1], arguments.limits.wallSeconds))
                return false;
        } else if (option == "--archive" && !serve) {
            arguments.archives.push_back(argv[i + 1]);
        } else {
            return false;
        }
    }
    if (serve)
        return true;
    arguments.path = argv[argc - 1];
    return parseUntrustedKind(argv[argc - 2], arguments.kind) && !arguments.path.empty();
}

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's own resident-memory limit is kept by a thread of the
// process it started in, which a forked check does not have: the check
// keeps its own, reading its resident size.
void watchResidentMemory(unsigned long megabytes) {
    std::thread([megabytes] {
        const unsigned long long pageBytes = static_cast<unsigned long long>(sysconf(_SC_PAGESIZE));
        const unsigned long long limit = (megabytes * 3ULL) << 20;
        for (;;) {
            unsigned long long size = 0, resident = 0;
            if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
                if (std::fscanf(statm, "%llu %llu", &size, &resident) != 2)
                    resident = 0;
                std::fclose(statm);
            }
            if (resident * pageBytes > limit)
                _exit(filecheck::kTooLarge);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }).detach();
}
#endif

// The engine allocates with new: a request the memory limit refuses ends the
// check with its own status rather than an abort that reads as a crash.
void exitTooLarge() {
    _exit(filecheck::kTooLarge);
}

// The engine's .md2 reader trusts the header's counts and offsets; one that
// reaches past the file makes it read memory that is not the file's, so the
// same file may load once and crash the next time. Such a header is refused
// before any load: it asks for more than the file holds.
bool md2HeaderFits(io::IFileSystem* fileSystem, const std::string& path) {
    io::IReadFile* file = fileSystem->createAndOpenFile(path.c_str());
    if (!file)
        return true;
    s32 header[17] = {};
    const long long size = file->getSize();
    const bool whole = file->read(header, sizeof header) == static_cast<s32>(sizeof header);
    file->drop();
    if (!whole || std::memcmp(header, "IDP2", 4) != 0)
        return true; // not an .md2 the reader accepts
    for (int i = 2; i < 17; ++i)
        if (header[i] < 0)
            return false;
    const long long frameSize = header[4], vertices = header[6], frames = header[10];
    struct Block {
        long long offset, count, itemSize;
    };
    const Block blocks[] = {
        {header[11], header[5], 64}, {header[12], header[7], 4}, {header[13], header[8], 12},
        {header[14], frames, frameSize}, {header[15], header[9], 4},
    };
    for (const Block& block : blocks)
        if (block.offset + block.count * block.itemSize > size)
            return false;
    return frameSize >= 40 + vertices * 4;
}

// Like adding a model: the mesh (with the textures its loader asks for), its
// first frame with something in it, and a few frames across its animation,
// which the editor draws as the node animates.
int loadModel(scene::ISceneManager* sceneManager, const std::string& path) {
    if (!md2HeaderFits(sceneManager->getFileSystem(), path))
        return filecheck::kTooLarge;
    scene::IAnimatedMesh* mesh = sceneManager->getMesh(path.c_str());
    if (!mesh)
        return filecheck::kNothingLoaded;
    scene::IMesh* firstFrame = mesh->getMesh(0);
    if (!firstFrame || firstFrame->getMeshBufferCount() == 0)
        return filecheck::kNothingLoaded;
    const u32 frames = mesh->getFrameCount();
    if (frames > 1) {
        mesh->getMesh(static_cast<s32>(frames / 2));
        mesh->getMesh(static_cast<s32>(frames - 1));
    }
    return filecheck::kLoaded;
}

// Like the driver's getTexture: the file by its absolute name, else by the
// name as given (which may be inside an archive), decoded by the engine's
// image loaders. The decoded image goes to decodedImage when there is one.
int loadImage(IrrlichtDevice* device, const std::string& path, int decodedImage) {
    io::IFileSystem* fileSystem = device->getFileSystem();
    io::IReadFile* file = fileSystem->createAndOpenFile(fileSystem->getAbsolutePath(path.c_str()));
    if (!file)
        file = fileSystem->createAndOpenFile(path.c_str());
    if (!file)
        return filecheck::kNothingLoaded;
    video::IImage* image = device->getVideoDriver()->createImageFromFile(file);
    file->drop();
    if (!image)
        return filecheck::kNothingLoaded;
    // A failed hand-back only means the editor decodes the file itself.
    writeCheckedImage(decodedImage, image);
    image->drop();
    return filecheck::kLoaded;
}

// A terrain built from the height map with the parameters of the editor's
// own terrain node.
int loadHeightMap(scene::ISceneManager* sceneManager, const std::string& path) {
    const core::vector3df origin(0.f, 0.f, 0.f);
    scene::ITerrainSceneNode* terrain = sceneManager->addTerrainSceneNode(
        path.c_str(), nullptr, -1, origin, origin, core::vector3df(1.f, 1.f, 1.f),
        video::SColor(0xFFFFFFFF), 5, scene::ETPS_17, 0, false);
    return terrain && terrain->getMesh() && terrain->getMesh()->getMeshBufferCount() > 0
               ? filecheck::kLoaded
               : filecheck::kNothingLoaded;
}

} // namespace

const char* untrustedKindName(UntrustedKind kind) {
    switch (kind) {
    case UntrustedKind::Model:
        return "model";
    case UntrustedKind::Image:
        return "image";
    case UntrustedKind::HeightMap:
        return "heightmap";
    }
    return "model";
}

bool parseUntrustedKind(const std::string& name, UntrustedKind& kind) {
    for (UntrustedKind candidate : {UntrustedKind::Model, UntrustedKind::Image, UntrustedKind::HeightMap})
        if (name == untrustedKindName(candidate)) {
            kind = candidate;
            return true;
        }
    return false;
}

void limitThisCheck(const CheckLimits& limits) {
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    if (limits.cpuSeconds > 0) {
        rlimit cpu{limits.cpuSeconds, limits.cpuSeconds + 2};
        setrlimit(RLIMIT_CPU, &cpu);
    }
#if defined(__SANITIZE_ADDRESS__)
    if (limits.memoryMegabytes > 0)
        watchResidentMemory(limits.memoryMegabytes);
#else
    if (limits.memoryMegabytes > 0) {
        const rlim_t bytes = static_cast<rlim_t>(limits.memoryMegabytes) << 20;
        rlimit memory{bytes, bytes};
        setrlimit(RLIMIT_AS, &memory);
    }
#endif
    std::set_new_handler(exitTooLarge);
}

long long cpuMicrosecondsUsed() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL + usage.ru_utime.tv_usec +
           usage.ru_stime.tv_usec;
}

// The soft limit only: the kernel's SIGXCPU at it ends the check, and a hard
// limit once lowered could not be raised again for the next file.
void limitCpuFromNow(unsigned long seconds) {
    if (seconds == 0)
        return;
    rlimit cpu{};
    getrlimit(RLIMIT_CPU, &cpu);
    const rlim_t soft = static_cast<rlim_t>(cpuMicrosecondsUsed() / 1000000LL + 1) + seconds;
    cpu.rlim_cur = cpu.rlim_max == RLIM_INFINITY ? soft : std::min<rlim_t>(soft, cpu.rlim_max);
    setrlimit(RLIMIT_CPU, &cpu);
}

IrrlichtDevice* createCheckDevice() {
    IrrlichtDevice* device = createDevice(video::EDT_NULL);
    if (!device)
        return nullptr;
    device->getLogger()->setLogLevel(ELL_NONE);
    // The same engine settings as the editor's device.
    device->getSceneManager()->getParameters()->setAttribute(scene::COLLADA_CREATE_SCENE_INSTANCES, true);
    device->getVideoDriver()->setTextureCreationFlag(video::ETCF_ALWAYS_32_BIT, true);
    return device;
}

int loadUntrustedFile(IrrlichtDevice* device, UntrustedKind kind, const std::string& path,
                      const std::vector<std::string>& archives, int decodedImage) {
    io::IFileSystem* fileSystem = device->getFileSystem();
    for (const std::string& archive : archives)
        fileSystem->addFileArchive(archive.c_str(), true, true, io::EFAT_UNKNOWN);
    switch (kind) {
    case UntrustedKind::Model:
        return loadModel(device->getSceneManager(), path);
    case UntrustedKind::Image:
        return loadImage(device, path, decodedImage);
    case UntrustedKind::HeightMap:
        return loadHeightMap(device->getSceneManager(), path);
    }
    return filecheck::kNothingLoaded;
}

int runFileCheck(int argc, char** argv) {
    CheckArguments arguments;
    bool serve = false;
    if (!parseArguments(argc, argv, arguments, serve))
        return filecheck::kUsage;
    if (serve)
        return serveFileChecks(arguments.limits);
    limitThisCheck(arguments.limits);
    IrrlichtDevice* device = createCheckDevice();
    if (!device)
        return filecheck::kUsage;
    const int status = loadUntrustedFile(device, arguments.kind, arguments.path, arguments.archives);
    device->drop();
    return status;
}

} // namespace sorn
