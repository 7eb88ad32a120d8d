#include "events/SceneFileCommands.h"

#include "app/EditorState.h"
#include "app/RecentFiles.h"
#include "events/FileCommands.h"
#include "events/Selection.h"
#include "files/MissingReferences.h"
#include "files/OpenFile.h"
#include "files/OpenRefusalMessage.h"
#include "files/Quarantine.h"
#include "files/SceneScan.h"
#include "app/PathText.h"
#include "scene/AnimationPlayback.h"
#include "scene/DefaultScene.h"
#include "scene/GridCommands.h"
#include "scene/SceneBox.h"
#include "events/UndoCommands.h"

#include <set>

namespace sorn {

namespace {

// Everything of the current scene goes (the editor's own nodes stay), and the
// working directory moves to the new file's folder: mesh and texture paths in
// a scene are relative to its folder, and the engine resolves them against
// the working directory.
void replaceScene(irr::io::IFileSystem* fileSystem, const irr::io::path& absolute) {
    clearScene();
    forgetMissingReferences();
    clearSelection();
    resetGrid();
    fileSystem->changeWorkingDirectoryTo(fileSystem->getFileDir(absolute));
}

} // namespace

void openSceneFromDialog(const std::string& path) {
    if (!editor.sceneManager || !editor.sceneManager->getFileSystem() || path.empty())
        return;
    irr::io::IFileSystem* fileSystem = editor.sceneManager->getFileSystem();
    // Made absolute first: a relative name would no longer lead to the file
    // once the working directory has moved to its folder.
    const irr::io::path absolute = fileSystem->getAbsolutePath(path.c_str());
    const std::string file = absolute.c_str();
    const bool isScene = fileExtension(file) == ".irr";

    // The file is checked before anything of the current scene goes: a file
    // that cannot be opened leaves the scene as it is and says why.
    const FileRefusal readable = isScene ? readableFileRefusal(fileSystem, file) : openableFileRefusal(file);
    if (readable.refused()) {
        showOpenRefusal(file, readable);
        return;
    }
    bool opened = false;
    FileRefusal why;
    if (isScene) {
        // Read once: the scene goes only when the scan accepted the file and
        // the files it names passed their checks (a refused mesh or image is
        // named in a message of its own), before the engine parses it.
        const std::string folder = fileSystem->getFileDir(absolute).c_str();
        bool replaced = false;
        const SceneGate replace = [&](const SceneScan& scan) {
            if (!admitSceneReferences(scan, folder))
                return false;
            replaceScene(fileSystem, absolute);
            return replaced = true;
        };
        opened = loadSceneInOnePass(file, editor.sceneManager->getRootSceneNode(), replace, why,
                                    sceneReferenceHook(folder));
        if (!replaced) {
            if (why.refused())
                showOpenRefusal(file, why);
            return;
        }
        finishMissingReferences(opened);
        if (!opened)
            showOpenRefusal(file, why);
    } else {
        // A model replacing the scene is checked before the scene goes too:
        // one the engine's loaders must not read, or that none of them reads,
        // leaves the scene as it is (the verdict is kept, so the load does not
        // check again).
        if (!isArchiveFile(file)) {
            if (!admitUntrustedFile(file, UntrustedKind::Model))
                return;
            if (checkUntrustedFile(file, UntrustedKind::Model) == FileVerdict::NotLoadable) {
                showOpenRefusal(file, SceneRefusal::NothingLoaded);
                return;
            }
        }
        replaceScene(fileSystem, absolute);
        opened = openFile(file, false, &why);
        if (!opened && why.refused())
            showOpenRefusal(file, why);
    }
    // The scene opens stopped, showing the transformations the file holds.
    holdSceneAnimators();
    // The opened scene starts a history of its own, with nothing unsaved.
    forgetSceneHistory();
    // Save writes back to a scene that opened; anything else has no file.
    setSceneFile(isScene && opened ? file : std::string());
    if (isScene && opened)
        rememberRecentSceneFile(file);
    editor.sceneViewRefresh.schedule();
    editor.nameIndexRefresh.schedule();
}

void startNewScene() {
    newScene();
    forgetMissingReferences();
    clearSelection();
    setSceneFile(std::string());
}

void openSceneFromDialog(const irr::core::stringw& path) {
    openSceneFromDialog(narrowPath(path));
}

void addModelFromDialog(const std::string& path, bool animated) {
    clearSelection();
    // What the file adds hangs under the root: a model one node, a scene
    // file chosen here all of its top nodes.
    irr::scene::ISceneNode* root = editor.sceneManager ? editor.sceneManager->getRootSceneNode() : nullptr;
    std::set<irr::scene::ISceneNode*> before;
    if (root)
        for (irr::scene::ISceneNode* child : root->getChildren())
            before.insert(child);
    // A file that adds nothing says why, unless the file check told it already.
    FileRefusal why;
    if (!openFile(path, animated, &why) && why.refused())
        showOpenRefusal(path, why);
    // A scene file added here brings its animators: held aside, the scene stopped.
    holdSceneAnimators();
    if (root) {
        std::vector<irr::scene::ISceneNode*> added;
        for (irr::scene::ISceneNode* child : root->getChildren())
            if (!before.count(child))
                added.push_back(child);
        recordNodesAdded(added);
    }
    updateTreeview();
    editor.nameIndexRefresh.schedule();
}

void addModelFromDialog(const irr::core::stringw& path, bool animated) {
    addModelFromDialog(narrowPath(path), animated);
}

} // namespace sorn
