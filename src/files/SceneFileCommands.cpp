#include "files/SceneFileCommands.h"

#include "app/EditorState.h"
#include "events/Selection.h"
#include "files/OpenFile.h"
#include "files/OpenRefusalMessage.h"
#include "files/Quarantine.h"
#include "files/SceneScan.h"
#include "app/PathText.h"
#include "scene/DefaultScene.h"
#include "scene/GridCommands.h"
#include "scene/SceneBox.h"

namespace sorn {

namespace {

// The meshes, textures and height maps a scene names go through the file check
// before the engine's loaders see them. Relative names are resolved from the
// scene's folder, where the engine will look for them; a name not on disk
// there is kept as it is (mounted archives serve files by name).
bool admitSceneReferences(const SceneScan& scan, const irr::io::path& folder) {
    std::vector<UntrustedFile> files;
    files.reserve(scan.referencedFiles.size());
    for (size_t i = 0; i < scan.referencedFiles.size(); ++i) {
        std::string path = scan.referencedFiles[i];
        if (!path.empty() && path[0] != '/') {
            const std::string inFolder = std::string(folder.c_str()) + "/" + path;
            if (editor.sceneManager->getFileSystem()->existFile(inFolder.c_str()))
                path = inFolder;
        }
        files.push_back({path, scan.referencedKinds[i]});
    }
    return admitUntrustedFiles(files);
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
    SceneScan scan;
    if (isScene)
        scan = scanSceneFile(fileSystem, absolute);
    else
        scan.refusal = openableFileRefusal(file);
    if (!scan.accepted()) {
        showOpenRefusal(file, scan.refusal, scan.detail);
        return;
    }
    // A refused mesh or image is named in a message of its own.
    if (isScene && !admitSceneReferences(scan, fileSystem->getFileDir(absolute)))
        return;

    clearScene();
    clearSelection();
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
    clearSelection();
    openFile(path, animated);
    updateTreeview();
    editor.nameIndexRefresh.schedule();
}

void addModelFromDialog(const irr::core::stringw& path, bool animated) {
    addModelFromDialog(narrowPath(path), animated);
}

} // namespace sorn
