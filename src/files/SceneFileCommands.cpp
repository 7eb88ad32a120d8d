#include "files/SceneFileCommands.h"

#include "app/EditorState.h"
#include "events/Selection.h"
#include "files/OpenFile.h"
#include "app/PathText.h"
#include "scene/DefaultScene.h"
#include "scene/GridCommands.h"
#include "scene/SceneBox.h"
#include "events/UndoCommands.h"

#include <set>

namespace sorn {

void openSceneFromDialog(const std::string& path) {
    clearScene();
    clearSelection();
    resetGrid();
    std::string file = path;
    if (editor.sceneManager && editor.sceneManager->getFileSystem() && !file.empty()) {
        irr::io::IFileSystem* fileSystem = editor.sceneManager->getFileSystem();
        // Made absolute first: a relative name would no longer lead to the
        // file once the working directory has moved to its folder.
        irr::io::path absolute = fileSystem->getAbsolutePath(file.c_str());
        fileSystem->changeWorkingDirectoryTo(fileSystem->getFileDir(absolute));
        file = absolute.c_str();
    }
    openFile(file, false);
    forgetSceneHistory();
    editor.sceneViewRefresh.schedule();
    editor.nameIndexRefresh.schedule();
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
    openFile(path, animated);
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
