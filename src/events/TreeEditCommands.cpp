#include "events/TreeEditCommands.h"

#include "app/EditorState.h"
#include "app/StatusLine.h"
#include "events/UndoCommands.h"
#include "scene/NodeLifetime.h"
#include "scene/NodeName.h"
#include "scene/Reparent.h"
#include "scene/SelectedNodes.h"
#include "scene/SceneBox.h"
#include "scene/UndoHistory.h"
#include "toolbox/ObjectTab.h"
#include "toolbox/ToolBoxRowGroups.h"
#include "toolbox/ToolBoxSteps.h"

using namespace irr;

namespace sorn {

namespace {

void onRowRenamed(gui::IGUITreeViewNode* item, const core::stringw& text) {
    renameNodeRecorded(liveNodeOfTreeItem(item), text.c_str());
}

// A row dropped onto "Scene" goes to the root. Dragging a selected row moves
// every selected node; any other row moves alone.
void onRowDropped(gui::IGUITreeViewNode* dragged, gui::IGUITreeViewNode* onto) {
    scene::ISceneNode* node = liveNodeOfTreeItem(dragged);
    if (!node || !onto)
        return;
    scene::ISceneNode* target = liveNodeOfTreeItem(onto);
    const bool sceneLabel = onto->getParent() && onto->getParent()->isRoot() && !onto->getData();
    if (!target && sceneLabel)
        target = editor.sceneManager->getRootSceneNode();
    if (!target)
        return;
    std::vector<scene::ISceneNode*> nodes = nodesToArrange();
    bool draggedIsSelected = false;
    for (scene::ISceneNode* selected : nodes)
        draggedIsSelected = draggedIsSelected || selected == node;
    if (!draggedIsSelected)
        nodes = {node};
    reparentNodesRecorded(nodes, target);
}

} // namespace

void installSceneBoxEditing() {
    TreeEditHandlers handlers;
    handlers.renamed = onRowRenamed;
    handlers.dropped = onRowDropped;
    setSceneBoxEditHandlers(handlers);
    setNameRowApply(applyNameRow);
    setToolBoxStepRecorder(recordStep);
}

void renameNodeRecorded(scene::ISceneNode* node, const wchar_t* text) {
    if (!node || !isLiveSceneNode(node))
        return;
    const core::stringc before = node->getName();
    setNodeNameText(node, text);
    std::unique_ptr<UndoStep> step = makeRenameStep(node, before, node->getName());
    if (!step)
        return;
    recordStep(std::move(step));
    // The trace of the next pick names the node as it is called now.
    editor.nodeNameIndex[node] = node->getName();
    editor.nameIndexRefresh.schedule();
    showNodeNameInTree(node);
    if (node == editor.selectedNode) {
        fillNameRow(node);
        updateStatusLine();
    }
}

void applyNameRow() {
    core::stringw text;
    if (editor.selectedNode && editor.nodeSelected && nameRowText(text))
        renameNodeRecorded(editor.selectedNode, text.c_str());
}

std::vector<scene::ISceneNode*> nodesToArrange() {
    if (!editor.nodeSelected)
        return {};
    return topmostSelectedNodes();
}

bool reparentNodesRecorded(const std::vector<scene::ISceneNode*>& nodes, scene::ISceneNode* newParent) {
    if (!newParent || (newParent != editor.sceneManager->getRootSceneNode() && !isLiveSceneNode(newParent)))
        return false;
    std::vector<scene::ISceneNode*> live;
    for (scene::ISceneNode* node : nodes)
        if (isLiveSceneNode(node))
            live.push_back(node);
    std::unique_ptr<UndoStep> step = reparentNodes(live, newParent);
    if (!step)
        return false;
    scene::ISceneNode* first = step->node();
    recordStep(std::move(step));
    requestTreeRebuild();
    updateTreeview();
    revealNodeInTree(first);
    if (editor.selectedNode) {
        fillPositionRows(editor.selectedNode);
        fillRotationRows(editor.selectedNode);
        fillScaleRows(editor.selectedNode);
        updateStatusLine();
    }
    return true;
}

bool handleNameAndFilterBoxes(gui::EGUI_EVENT_TYPE type, s32 id) {
    if (type == gui::EGET_EDITBOX_CHANGED && id == ids::SceneBoxFilter) {
        applySceneBoxFilter();
        return true;
    }
    return false;
}

} // namespace sorn
