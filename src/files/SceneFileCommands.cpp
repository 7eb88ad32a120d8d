#include "files/SceneFileCommands.h"

#include "app/EditorState.h"
#include "files/OpenFile.h"
#include "files/OpenRefusalMessage.h"
#include "files/SceneScan.h"
#include "app/PathText.h"
#include "scene/DefaultScene.h"
#include "scene/GridCommands.h"
#include "scene/SceneBox.h"

namespace sorn {

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
    SceneScan scan;
    if (isScene)
        scan = scanSceneFile(fileSystem, absolute);
    else
        scan.refusal = openableFileRefusal(file);
    if (!scan.accepted()) {
        showOpenRefusal(file, scan.refusal, scan.detail);
        return;
    }

    clearScene();
    editor.selectedNode = nullptr;
    resetGrid();
    // Mesh and texture paths in a scene are relative to its folder, and the
    // engine resolves them against the working directory.
    fileSystem->changeWorkingDirectoryTo(fileSystem->getFileDir(absolute));
    const bool opened = isScene ? loadScannedScene(file, scan) : openFile(file, false);
    if (!opened)
        showOpenRefusal(file, isScene ? scan.refusal : SceneRefusal::Unreadable);
    editor.sceneViewRefresh.schedule();
    editor.nameIndexRefresh.schedule();
}

void openSceneFromDialog(const irr::core::stringw& path) {
    openSceneFromDialog(narrowPath(path));
}

void addModelFromDialog(const std::string& path, bool animated) {
    editor.selectedNode = nullptr;
    openFile(path, animated);
    updateTreeview();
    editor.nameIndexRefresh.schedule();
}

void addModelFromDialog(const irr::core::stringw& path, bool animated) {
    addModelFromDialog(narrowPath(path), animated);
}

} // namespace sorn
