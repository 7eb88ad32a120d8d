#include "files/SceneSave.h"

#include "app/EditorState.h"
#include "app/AtomicFile.h"
#include "app/WorkProgress.h"
#include "files/NodeProgress.h"
#include "files/SceneFileTrace.h"
#include "files/SceneTextWriteFile.h"
#include "files/ScenePostProcess.h"
#include "scene/AnimationPlayback.h"

using namespace irr;

namespace sorn {

namespace {

// The engine's scene writer ignores what its writes return and reports
// success regardless; the write file records every short write instead.
// What the engine writes as wide text reaches the file as 8-bit text.
bool writeSceneInto(AtomicFile& file, const std::string& path, scene::ISceneUserDataSerializer* userData) {
    // The engine writes mesh paths relative to the folder of the name it is given.
    AtomicWriteFile* atomic = new AtomicWriteFile(file, io::path(path.c_str()));
    SceneTextWriteFile* out = new SceneTextWriteFile(atomic);
    atomic->drop();
    // The file gets the authored transformations and every animator, as
    // stopped or playing; the scene shows what it showed again right after.
    AuthoredSceneForSave authoredScene;
    // A large scene shows how far the engine's writer is, by nodes.
    WorkProgress work(L"progress_saving", path);
    NodeProgressSerializer counting(userData, writtenNodeCount(editor.sceneManager->getRootSceneNode()));
    const bool written = editor.sceneManager->saveScene(out, &counting, nullptr);
    out->drop(); // writes the last bytes and block
    return written && !file.failed();
}

} // namespace

bool saveSceneFile(const std::string& path, scene::ISceneUserDataSerializer* userData, WriteFailure* failure,
                   int* systemError) {
    if (failure)
        *failure = WriteFailure::Other;
    if (systemError)
        *systemError = 0;
    if (!editor.sceneManager)
        return false;
    AtomicFile file(path);
    const bool saved = traceSceneFileSteps(
        [&] { return file.create(); },
        [&] { return writeSceneInto(file, path, userData) && rewriteDecimalCommasInPlace(file) && file.flush(); },
        [&] { return file.commit(); });
    if (failure)
        *failure = saved ? WriteFailure::None : file.failed() ? file.failure() : WriteFailure::Other;
    if (systemError && !saved)
        *systemError = file.error();
    return saved;
}

} // namespace sorn
