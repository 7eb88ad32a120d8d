#include "events/SceneBoxCommands.h"

#include "app/EditorState.h"
#include "events/Selection.h"
#include "scene/NodeLifetime.h"
#include "scene/SceneBox.h"

namespace sorn {

void duplicateSelectedNode() {
    irr::scene::ISceneNode* node = editor.selectedNode;
    if (node && editor.nodeSelected) {
        // The copy hangs beside the original; its parent holds it.
        node->clone(node->getParent(), editor.sceneManager);
    }
    updateTreeview();
    editor.nameIndexRefresh.schedule();
}

void deleteSelectedNode() {
    if (!editor.selectedNode)
        return;
    irr::scene::ISceneNode* node = editor.selectedNode;
    clearSelection();
    queueNodeDeletion(node);
    editor.sceneViewRefresh.schedule();
}

} // namespace sorn
