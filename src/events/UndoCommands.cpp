#include "events/UndoCommands.h"

#include <memory>

#include "app/EditorState.h"
#include "app/MenuBar.h"
#include "app/StatusLine.h"
#include "events/KeyboardMouseEditing.h"
#include "events/MenuCommands.h"
#include "events/Selection.h"
#include "scene/AnimationPlayback.h"
#include "scene/NodeLifetime.h"
#include "scene/UndoHistory.h"

using namespace irr;

namespace sorn {

// What one action found before it ran: the selected node (held, so the
// pointer stays good whatever the action does) and the values.
struct ChangeStart {
    scene::ISceneNode* node = nullptr;
    SceneValues before;
    unsigned long generation = 0;
};

namespace {

SceneValues currentValues(scene::ISceneNode* node) {
    SceneValues values;
    // A playing node's edit moves its authored state: that is what undo restores.
    values.node = authoredStateOf(node);
    values.gridSize = editor.gridSize;
    values.gridSpacing = editor.gridSpacing;
    values.modelLighting = editor.modelLighting;
    return values;
}

ChangeStart startChange() {
    ChangeStart start;
    start.node = editor.selectedNode;
    if (start.node)
        start.node->grab();
    start.before = currentValues(start.node);
    start.generation = undoHistory.generation();
    return start;
}

// A step when the node (still the selection, still in the scene) or the grid
// changed; nothing otherwise.
void finishChange(ChangeStart& start) {
    scene::ISceneNode* node = start.node;
    const bool sameNode = node == editor.selectedNode;
    // A scene opened by the action replaced everything, the grid included:
    // the opened scene starts with nothing to undo.
    const bool sameScene = start.generation == undoHistory.generation();
    if (sameScene && sameNode && (!node || isLiveSceneNode(node))) {
        SceneValues after = currentValues(node);
        if (!(after == start.before)) {
            undoHistory.push(makeValuesStep(node, start.before, after));
            updateUndoMenuItems();
        }
    }
    if (node)
        node->drop();
    start.node = nullptr;
}

// The drag in progress, if any.
std::unique_ptr<ChangeStart> pendingDrag;

// Nesting of recorded actions: an action inside another is part of it.
int recordingDepth = 0;

// After an undo or redo: a selection that left the scene is dropped, and every
// view is brought up to date like after any other change.
void showRestoredScene() {
    if (editor.selectedNode && !isLiveSceneNode(editor.selectedNode))
        clearSelection();
    showDebugChecksOf(editor.selectedNode);
    editor.sceneViewRefresh.schedule();
    editor.nameIndexRefresh.schedule();
    updateStatusLine();
    updateUndoMenuItems();
}

void setMenuItemEnabled(s32 commandId, bool enabled) {
    s32 index = -1;
    if (gui::IGUIContextMenu* menu = menuHoldingCommand(commandId, index))
        menu->setItemEnabled(index, enabled);
}

} // namespace

RecordedChange::RecordedChange() {
    // Inside another recorded action, or during a drag (a key pressed while
    // the button is held), the change belongs to that one.
    if (recordingDepth++ > 0 || pendingDrag)
        return;
    start_ = std::make_unique<ChangeStart>(startChange());
}

RecordedChange::~RecordedChange() {
    --recordingDepth;
    if (start_)
        finishChange(*start_);
}

void beginDragChange() {
    endDragChange();
    pendingDrag = std::make_unique<ChangeStart>(startChange());
}

void endDragChange() {
    if (!pendingDrag)
        return;
    std::unique_ptr<ChangeStart> drag = std::move(pendingDrag);
    finishChange(*drag);
}

void recordNodeAdded(scene::ISceneNode* node) {
    if (!node || !node->getParent())
        return;
    endDragChange();
    undoHistory.push(makeAddStep(node));
    updateUndoMenuItems();
}

void recordNodesAdded(const std::vector<scene::ISceneNode*>& nodes) {
    std::vector<std::unique_ptr<UndoStep>> steps;
    for (scene::ISceneNode* node : nodes)
        if (node && node->getParent())
            steps.push_back(makeAddStep(node));
    if (steps.empty())
        return;
    endDragChange();
    undoHistory.push(steps.size() == 1 ? std::move(steps.front()) : makeGroupStep(std::move(steps)));
    updateUndoMenuItems();
}

void deleteNodeRecorded(scene::ISceneNode* node) {
    scene::ISceneNode* parent = node ? node->getParent() : nullptr;
    if (!parent)
        return;
    endDragChange();
    parent->grab();
    const u32 position = detachNode(node);
    // The step holds the node from here on; the scene no longer does.
    node->grab();
    undoHistory.push(makeRemoveStep(node, parent, position));
    node->drop();
    parent->drop();
    updateUndoMenuItems();
}

void recordStep(std::unique_ptr<UndoStep> step) {
    if (!step)
        return;
    endDragChange();
    undoHistory.push(std::move(step));
    updateUndoMenuItems();
}

namespace {

// Undo and redo during a drag: what the drag did so far becomes its own step
// first, and the rest of the drag is recorded from the restored state on.
void stepThroughHistory(bool (UndoHistory::*move)()) {
    const bool dragging = pendingDrag != nullptr;
    endDragChange();
    if ((undoHistory.*move)())
        showRestoredScene();
    if (dragging)
        beginDragChange();
}

} // namespace

void undoLastChange() { stepThroughHistory(&UndoHistory::undo); }

void redoLastChange() { stepThroughHistory(&UndoHistory::redo); }

void forgetSceneHistory() {
    pendingDrag.reset();
    undoHistory.clear();
    updateUndoMenuItems();
}

bool handleUndoKey(const SEvent::SKeyInput& key) {
    if (key.Key != KEY_KEY_Z && key.Key != KEY_KEY_Y)
        return false;
    // The command runs when the key goes down, while Control is surely held;
    // its release is swallowed whatever the modifiers are by then (Control is
    // often let go first), so it never reaches the plain Z editing key.
    static EKEY_CODE swallowRelease = KEY_KEY_CODES_COUNT;
    if (!key.PressedDown) {
        if (key.Key != swallowRelease)
            return false;
        swallowRelease = KEY_KEY_CODES_COUNT;
        return true;
    }
    if (!key.Control || modalDialogOpen() || typingIntoEditBox())
        return false;
    swallowRelease = key.Key;
    if (key.Key == KEY_KEY_Z && !key.Shift)
        undoLastChange();
    else
        redoLastChange();
    return true;
}

void updateUndoMenuItems() {
    setMenuItemEnabled(ids::CmdUndo, undoHistory.canUndo());
    setMenuItemEnabled(ids::CmdRedo, undoHistory.canRedo());
}

} // namespace sorn
