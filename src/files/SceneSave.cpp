#include "files/SceneSave.h"

#include <cstdio>

#include "app/EditorState.h"
#include "app/AtomicFile.h"
#include "files/ScenePostProcess.h"
#include "scene/AnimationPlayback.h"

using namespace irr;

namespace sorn {

namespace {

void trace(const char* text) {
    std::fputs(text, stdout);
    std::fflush(stdout);
}

// The engine's scene writer ignores what its writes return and reports
// success regardless; the write file records every short write instead.
bool writeSceneInto(AtomicFile& file, const std::string& path, scene::ISceneUserDataSerializer* userData) {
    // The engine writes mesh paths relative to the folder of the name it is given.
    AtomicWriteFile* out = new AtomicWriteFile(file, io::path(path.c_str()));
    // The file gets the authored transformations and every animator, as
    // stopped or playing; the scene shows what it showed again right after.
    AuthoredSceneForSave authoredScene;
    const bool written = editor.sceneManager->saveScene(out, userData, nullptr);
    out->drop(); // writes the last block
    return written && !file.failed();
}

} // namespace

bool saveSceneFile(const std::string& path, scene::ISceneUserDataSerializer* userData) {
    if (!editor.sceneManager)
        return false;
    trace("Post-Traitement=\n");
    trace("Ouverture du fichier------->");
    AtomicFile file(path);
    if (!file.create()) {
        trace("Error\n");
        return false;
    }
    trace("OK\n");

    trace("Ecriture------->");
    if (!writeSceneInto(file, path, userData) || !rewriteDecimalCommasInPlace(file) || !file.flush()) {
        trace("Error\n");
        return false;
    }
    trace("OK\n");
    if (!file.commit()) {
        trace("Error\n");
        return false;
    }
    trace("File successfully renamed");
    return true;
}

} // namespace sorn
