// The scan of ".irr" scene files made as the engine reads them, and what the
// engine makes of a scene the scan admits. The scan's verdict must not depend on how the file
// is cut into blocks; a scene it admits (naming no file the engine would
// load) is loaded into the engine on the null driver with the editor's text
// node records, must not crash it, also when drawn, and saved again must
// pass the scan: a crash there is a bound the scan misses, a refused save a
// scene the user could not open again.
#include <unistd.h>

#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "app/EditorState.h"
#include "files/SceneSave.h"
#include "files/ScannedSceneFile.h"
#include "files/SceneScan.h"
#include "scene/TextNodeData.h"
#include "scene/TextNodeFactory.h"

using namespace irr;
using sorn::fuzz::require;

namespace {

// The code units of the file as the engine's reader sees them (byte-order
// mark first), written out here so that the scan's own decoding is checked too.
std::vector<uint32_t> unitsOf(const uint8_t* b, size_t size) {
    unsigned unitSize = 1, start = 0;
    bool bigEndian = false;
    if (size >= 4 && b[0] == 0xFF && b[1] == 0xFE && b[2] == 0 && b[3] == 0)
        unitSize = 4, start = 4;
    else if (size >= 4 && b[0] == 0 && b[1] == 0 && b[2] == 0xFE && b[3] == 0xFF)
        unitSize = 4, start = 4, bigEndian = true;
    else if (size >= 2 && b[0] == 0xFF && b[1] == 0xFE)
        unitSize = 2, start = 2;
    else if (size >= 2 && b[0] == 0xFE && b[1] == 0xFF)
        unitSize = 2, start = 2, bigEndian = true;
    else if (size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        start = 3;
    std::vector<uint32_t> units;
    for (size_t i = start; i + unitSize <= size; i += unitSize) {
        uint32_t unit = 0;
        for (unsigned k = 0; k < unitSize; ++k)
            unit |= uint32_t(b[i + k]) << (8 * (bigEndian ? unitSize - 1 - k : k));
        units.push_back(unit);
    }
    return units;
}

// The scanner fed in pieces whose lengths follow the file's own bytes.
sorn::SceneScan scanInPieces(const std::vector<uint32_t>& units, const uint8_t* data, size_t size) {
    sorn::SceneScanner scanner;
    size_t at = 0;
    for (size_t step = 0; at < units.size(); ++step) {
        const size_t piece = 1 + (size ? data[step % size] % 17 : 0);
        const size_t count = piece < units.size() - at ? piece : units.size() - at;
        scanner.feed(units.data() + at, count);
        at += count;
        if (scanner.refused())
            break;
    }
    return scanner.finish();
}

void removeScene() {
    scene::ISceneManager* smgr = sorn::editor.sceneManager;
    smgr->getRootSceneNode()->removeAll();
    sorn::forgetTextNodeData();
    smgr->getMeshCache()->clear();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    sorn::fuzz::startNullDevice();
    sorn::editor.appDirectory = SORN_FUZZ_RUNTIME_DIR;
    sorn::registerTextNodeFactory();
    // Relative names a scene holds are looked for in the scratch folder, which holds none.
    if (::chdir(sorn::fuzz::scratchFolder().c_str()) != 0 ||
        !sorn::editor.device->getFileSystem()->changeWorkingDirectoryTo(sorn::fuzz::scratchFolder().c_str()))
        return 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    io::IFileSystem* fileSystem = sorn::editor.device->getFileSystem();
    const std::string path = sorn::fuzz::scratchFile("scene.irr");
    if (!sorn::fuzz::writeBytes(path, data, size))
        return 0;
    sorn::SceneScan scan = sorn::scanSceneFile(fileSystem, path.c_str());
    require(scan.refusal != sorn::SceneRefusal::Unreadable && scan.refusal != sorn::SceneRefusal::TooLarge,
            "a small regular file is read");

    const sorn::SceneScan pieces = scanInPieces(unitsOf(data, size), data, size);
    require(pieces.refusal == scan.refusal, "the verdict does not depend on the blocks");
    if (scan.accepted())
        require(pieces.referencedFiles == scan.referencedFiles, "the named files do not depend on the blocks");

    // The engine reads every file through the one pass: a refused one as an
    // empty text. Scenes that name files would have the engine load them:
    // the editor checks those in a separate process first, and so the gate
    // keeps them from the engine here.
    scene::ISceneManager* smgr = sorn::editor.sceneManager;
    int gateCalls = 0;
    const sorn::SceneGate gate = [&](const sorn::SceneScan& accepted) {
        ++gateCalls;
        return accepted.referencedFiles.empty();
    };
    sorn::ScannedSceneFile* file = sorn::openScannedSceneFile(fileSystem, path.c_str(), gate, nullptr, nullptr);
    require(file != nullptr, "a scanned scene opens again");
    smgr->loadScene(file, sorn::textNodeUserData(), smgr->getRootSceneNode());
    require(file->scan().refusal == scan.refusal, "the engine's read gives the scan's verdict");
    require(gateCalls == (scan.accepted() ? 1 : 0), "the gate runs once, for an accepted scene only");
    const bool handed = file->handedOver();
    require(handed == (scan.accepted() && scan.referencedFiles.empty()), "only what the gate lets through is read");
    file->drop();
    if (!handed) {
        removeScene();
        return 0;
    }
    // Some nodes go wrong only when drawn (a particle emitter emits at its
    // first frame): a frame, one after a long pause, and one more.
    smgr->addCameraSceneNode(nullptr, core::vector3df(0, 30, -100), core::vector3df(0, 0, 0));
    ITimer* timer = sorn::editor.device->getTimer();
    for (u32 step : {16u, 10000u, 16u}) {
        timer->setTime(timer->getTime() + step);
        smgr->drawAll();
    }

    const std::string saved = sorn::fuzz::scratchFile("saved.irr");
    require(sorn::saveSceneFile(saved, sorn::textNodeUserData()), "an opened scene saves");
    removeScene();
    const sorn::SceneScan again = sorn::scanSceneFile(fileSystem, saved.c_str());
    require(again.accepted(), "a scene the editor saved passes the scan");
    return 0;
}
