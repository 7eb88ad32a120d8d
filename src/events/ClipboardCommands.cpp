#include "events/ClipboardCommands.h"

#include <cstdio>

#include "app/EditorState.h"
#include "app/MenuBar.h"
#include "app/Platform.h"
#include "app/StatusLine.h"
#include "app/Translate.h"
#include "events/KeyboardMouseEditing.h"
#include "events/Selection.h"
#include "events/UndoCommands.h"
#include "files/SceneClipboard.h"
#include "scene/SceneBox.h"
#include "scene/SelectedNodes.h"
#include "scene/UndoHistory.h"
#include "toolbox/ToolBox.h"

using namespace irr;

namespace sorn {

namespace {

// What happened, on the status line until the next change.
void tell(const wchar_t* key) {
    setHistoryNote(translate(key));
    updateStatusLine();
}

// The pasted nodes become the selection, the last one the primary, named on
// the trace line as a pick names it.
void selectPastedNodes(const std::vector<scene::ISceneNode*>& nodes) {
    selectNodesQuietly(nodes);
    if (editor.selectedNode)
        std::printf("Selection => %s\n", editor.selectedNode->getName());
}

void setItemEnabled(s32 commandId, bool enabled) {
    s32 index = -1;
    if (gui::IGUIContextMenu* menu = menuHoldingCommand(commandId, index))
        menu->setItemEnabled(index, enabled);
}

} // namespace

std::vector<scene::ISceneNode*> nodesToCopy() {
    if (!editor.nodeSelected)
        return {};
    return topmostSelectedNodes();
}

bool copyNodes(const std::vector<scene::ISceneNode*>& nodes) {
    const std::string text = sceneTextOfNodes(nodes);
    if (text.empty())
        return false;
    platform::setClipboardText(text);
    updateClipboardMenuItems();
    return true;
}

bool cutNodes(const std::vector<scene::ISceneNode*>& nodes) {
    const std::string text = sceneTextOfNodes(nodes);
    if (text.empty())
        return false;
    platform::setClipboardText(text);
    // The nodes that went to the clipboard leave the scene as one step:
    // those not under another one of the list, each with its children.
    std::vector<scene::ISceneNode*> leaving;
    for (scene::ISceneNode* node : nodes) {
        bool underAnother = false;
        for (scene::ISceneNode* up = node ? node->getParent() : nullptr; up && !underAnother; up = up->getParent())
            for (scene::ISceneNode* other : nodes)
                underAnother = underAnother || other == up;
        if (node && node->getParent() && !underAnother && !node->isDebugObject())
            leaving.push_back(node);
    }
    clearSelection();
    deleteNodesRecorded(leaving, ChangeKind::Cut);
    editor.sceneViewRefresh.schedule();
    updateClipboardMenuItems();
    return true;
}

bool pasteFromClipboard() {
    if (!editor.sceneManager)
        return false;
    scene::ISceneNode* parent =
        editor.selectedNode && editor.nodeSelected ? editor.selectedNode : editor.sceneManager->getRootSceneNode();
    const PastedNodes pasted = pasteSceneText(platform::clipboardText(), parent);
    if (pasted.nodes.empty()) {
        tell(pasted.refusal == SceneRefusal::NotAScene ? L"status_paste_no_scene" : L"status_paste_refused");
        return false;
    }
    // Recording shows the pasted rows and indexes their names.
    recordNodesAdded(pasted.nodes, ChangeKind::Paste);
    selectPastedNodes(pasted.nodes);
    editor.sceneViewRefresh.schedule();
    return true;
}

bool handleClipboardKey(const SEvent::SKeyInput& key) {
    const ChordKey chord = controlChord(key, {KEY_KEY_C, KEY_KEY_X, KEY_KEY_V}, false);
    if (chord != ChordKey::Run)
        return chord == ChordKey::Taken;
    if (key.Key == KEY_KEY_C)
        copyNodes(nodesToCopy());
    else if (key.Key == KEY_KEY_X)
        cutNodes(nodesToCopy());
    else
        pasteFromClipboard();
    return true;
}

void updateClipboardMenuItems() {
    const bool selected = !nodesToCopy().empty();
    setItemEnabled(ids::CmdCopy, selected);
    setItemEnabled(ids::CmdCut, selected);
    setItemEnabled(ids::CmdPaste, platform::clipboardHeld());
}

} // namespace sorn
