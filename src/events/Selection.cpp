#include "events/Selection.h"

#include <cstdio>

#include "app/EditorState.h"
#include "app/StatusLine.h"
#include "events/KeyboardMouseEditing.h"
#include "events/MenuCommands.h"
#include "events/ToolBoxRowCommands.h"
#include "scene/SceneBox.h"
#include "scene/SelectedNodes.h"
#include "toolbox/ToolBox.h"

using namespace irr;

namespace sorn {

namespace {

// The tool box shows the primary, the status line its values, the tree every
// selected row and the debug menu the primary's own debug drawing.
void showSelection(bool reveal) {
    markSelectionInTree(reveal);
    showDebugChecksOf(editor.selectedNode);
    updateToolBox();
    updateStatusLine();
}

// Named as the names were last indexed, like a pick in the tree always was.
void traceSelection() {
    if (!editor.selectedNode)
        return;
    auto named = editor.nodeNameIndex.find(editor.selectedNode);
    if (named != editor.nodeNameIndex.end())
        std::printf("Selection => %s\n", named->second.c_str());
}

} // namespace

void pickNode(scene::ISceneNode* node, PickHow how, bool reveal) {
    if (how == PickHow::Toggle) {
        if (!node)
            return; // Control on empty space keeps the selection
        applyTypedRows();
        toggleNodeSelected(node);
    } else {
        applyTypedRows();
        setSelectedNodes(node ? std::vector<scene::ISceneNode*>{node} : std::vector<scene::ISceneNode*>{});
    }
    // A tree pick of the "Scene" row is a pick too: the flag says no node.
    editor.nodeSelected = editor.selectedNode != nullptr;
    showSelection(reveal);
    // A node that joined is named; one that left is not.
    if (editor.selectedNode && (how == PickHow::Only || editor.selectedNode == node))
        traceSelection();
}

void pickNodes(const std::vector<scene::ISceneNode*>& nodes) {
    applyTypedRows();
    setSelectedNodes(nodes);
    showSelection(false);
    traceSelection();
}

void selectNodesQuietly(const std::vector<scene::ISceneNode*>& nodes) {
    applyTypedRows();
    setSelectedNodes(nodes);
    showSelection(false);
}

void clearSelection() {
    const bool hadSelection = editor.selectedNode || editor.nodeSelected || !editor.selection.empty();
    // Editing is left while the nodes still exist: the rows are refilled and
    // the hidden windows come back.
    leaveEditingMode();
    setSelectedNodes({});
    updateStatusLine();
    if (hadSelection)
        editor.sceneViewRefresh.schedule();
}

void deselectAll() {
    if (selectedNodes().empty() && !editor.nodeSelected)
        return;
    applyTypedRows();
    leaveEditingMode();
    pickNode(nullptr, PickHow::Only, false);
}

} // namespace sorn
