#include "events/SceneBoxCommands.h"

#include <algorithm>

#include "app/EditorState.h"
#include "events/Selection.h"
#include "events/UndoCommands.h"
#include "scene/NodeDuplicate.h"
#include "scene/NodeLifetime.h"
#include "scene/SceneBox.h"
#include "scene/SelectedNodes.h"

namespace sorn {

void duplicateSelectedNode() {
    if (editor.selectedNode && editor.nodeSelected) {
        // Each topmost selected node is copied with everything under it; the
        // copies hang beside their originals, held by their parents, and
        // become the selection (the primary's copy, or the last, the primary).
        std::vector<irr::scene::ISceneNode*> copies;
        irr::scene::ISceneNode* primaryCopy = nullptr;
        for (irr::scene::ISceneNode* node : topmostSelectedNodes()) {
            irr::scene::ISceneNode* copy = duplicateNodeTree(node);
            if (!copy)
                continue;
            copies.push_back(copy);
            if (node == editor.selectedNode)
                primaryCopy = copy;
        }
        if (primaryCopy) {
            copies.erase(std::find(copies.begin(), copies.end(), primaryCopy));
            copies.push_back(primaryCopy);
        }
        // Recording shows the copies' rows and indexes their names.
        recordNodesAdded(copies, ChangeKind::Duplicate);
        if (!copies.empty())
            selectNodesQuietly(copies);
    } else {
        updateTreeview();
        editor.nameIndexRefresh.schedule();
    }
}

void deleteSelectedNode() {
    if (!editor.selectedNode)
        return;
    // Taken out of the scene but kept by the undo history, which can put them
    // back; tree items still showing them are refused by the pick's liveness
    // check. A node under another selected one goes with it.
    const std::vector<irr::scene::ISceneNode*> nodes = topmostSelectedNodes();
    clearSelection();
    deleteNodesRecorded(nodes);
    editor.sceneViewRefresh.schedule();
}

} // namespace sorn
