#include "events/SceneBoxCommands.h"

#include "app/EditorState.h"
#include "events/Selection.h"
#include "scene/NodeDuplicate.h"
#include "scene/NodeLifetime.h"
#include "scene/SceneBox.h"
#include "events/UndoCommands.h"

namespace sorn {

void duplicateSelectedNode() {
    irr::scene::ISceneNode* node = editor.selectedNode;
    if (node && editor.nodeSelected) {
        // The copy hangs beside the original; its parent holds it.
        recordNodeAdded(duplicateNodeTree(node), ChangeKind::Duplicate);
    }
    updateTreeview();
    editor.nameIndexRefresh.schedule();
}

void deleteSelectedNode() {
    if (!editor.selectedNode)
        return;
    // Taken out of the scene but kept by the undo history, which can put it
    // back; tree items still showing it are refused by the pick's liveness check.
    irr::scene::ISceneNode* node = editor.selectedNode;
    clearSelection();
    deleteNodeRecorded(node);
    editor.sceneViewRefresh.schedule();
}

} // namespace sorn
