#include "events/UndoCommands.h"

#include <memory>
#include <unordered_set>

#include "app/EditorState.h"
#include "app/EngineRef.h"
#include "app/MenuBar.h"
#include "app/StatusLine.h"
#include "app/Translate.h"
#include "events/KeyboardMouseEditing.h"
#include "events/MenuCommands.h"
#include "events/Selection.h"
#include "scene/AnimationPlayback.h"
#include "scene/NodeLifetime.h"
#include "scene/PlacedNodes.h"
#include "scene/SceneBox.h"
#include "scene/SelectedNodes.h"
#include "scene/UndoHistory.h"

using namespace irr;

namespace sorn {

// What one action found before it ran: the selected node (held, so the
// pointer stays good whatever the action does) and the values.
struct ChangeStart {
    EngineRef<scene::ISceneNode> node;
    SceneValues before;
    unsigned long generation = 0;
    // The other selected nodes, which a drag, a key or the object tab may
    // change together with the primary.
    std::vector<std::pair<EngineRef<scene::ISceneNode>, NodeState>> others;
};

namespace {

// A new step: what an undo or redo did before it is no longer news.
void addStep(std::unique_ptr<UndoStep> step) {
    undoHistory.push(std::move(step));
    if (!historyNote().empty()) {
        setHistoryNote(L"");
        updateStatusLine();
    }
    updateUndoMenuItems();
}

// The step's name in the current language, put into the text of key where
// it says "%s".
core::stringw namedCaption(const wchar_t* key, const UndoStep& step) {
    core::stringw caption = translate(key);
    caption.replace(L"%s", translate(changeNameKey(step.kind())));
    return caption;
}

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
    start.node = EngineRef<scene::ISceneNode>(editor.selectedNode);
    start.before = currentValues(start.node.get());
    start.generation = undoHistory.generation();
    if (editor.selection.size() > 1)
        for (scene::ISceneNode* node : selectedNodes())
            if (node != editor.selectedNode)
                start.others.emplace_back(EngineRef<scene::ISceneNode>(node), authoredStateOf(node));
    return start;
}

// The other selected nodes that changed, each as a step of its own values.
// They carry the grid and lighting flag as the action left them, so undoing
// and redoing them in either order leaves those as the primary's step says.
void addOthersChanged(ChangeStart& start, const SceneValues& after, std::vector<std::unique_ptr<UndoStep>>& steps) {
    std::vector<scene::ISceneNode*> held;
    for (auto& other : start.others)
        held.push_back(other.first.get());
    const std::vector<scene::ISceneNode*> live = liveAmong(held);
    const std::unordered_set<scene::ISceneNode*> inScene(live.begin(), live.end());
    for (auto& [ref, before] : start.others) {
        scene::ISceneNode* node = ref.get();
        if (!inScene.count(node))
            continue;
        SceneValues was = after, now = after;
        was.node = before;
        now.node = authoredStateOf(node);
        if (!(now == was))
            steps.push_back(makeValuesStep(node, was, now));
    }
    start.others.clear();
}

// A step when the node (still the selection, still in the scene) or the grid
// changed; nothing otherwise.
void finishChange(ChangeStart& start) {
    scene::ISceneNode* node = start.node.get();
    const bool sameNode = node == editor.selectedNode;
    // A scene opened by the action replaced everything, the grid included:
    // the opened scene starts with nothing to undo.
    const bool sameScene = start.generation == undoHistory.generation();
    if (sameScene && sameNode && (!node || isLiveSceneNode(node))) {
        std::vector<std::unique_ptr<UndoStep>> steps;
        SceneValues after = currentValues(node);
        if (!(after == start.before))
            steps.push_back(makeValuesStep(node, start.before, after));
        addOthersChanged(start, after, steps);
        // Several nodes changed by one action are one step; the primary names it.
        if (steps.size() == 1)
            addStep(std::move(steps.front()));
        else if (!steps.empty())
            addStep(makeGroupStep(std::move(steps)));
    }
    start.others.clear();
    start.node.reset();
}

// The drag in progress, if any.
std::unique_ptr<ChangeStart> pendingDrag;

// Nesting of recorded actions: an action inside another is part of it.
int recordingDepth = 0;

// After an undo or redo: a selection that left the scene is dropped, and every
// view is brought up to date like after any other change.
void showRestoredScene(const wchar_t* noteKey, const UndoStep& step) {
    setHistoryNote(namedCaption(noteKey, step));
    if (editor.selectedNode && !isLiveSceneNode(editor.selectedNode))
        clearSelection();
    // Other selected nodes the step took out of the scene leave the selection.
    dropNodesNotInScene();
    showDebugChecksOf(editor.selectedNode);
    // Nodes put back or taken out were shown row by row and indexed by
    // showPlacedNodes; any other step may have changed names or places.
    if (!step.placesNodesOnly()) {
        requestTreeRebuild();
        editor.nameIndexRefresh.schedule();
    }
    editor.sceneViewRefresh.schedule();
    updateStatusLine();
    updateUndoMenuItems();
}

// The item is enabled and names the step when there is one, and shows its
// plain caption otherwise.
void showHistoryMenuItem(s32 commandId, const wchar_t* plainKey, const wchar_t* namedKey, const UndoStep* step) {
    s32 index = -1;
    gui::IGUIContextMenu* menu = menuHoldingCommand(commandId, index);
    if (!menu)
        return;
    menu->setItemEnabled(index, step != nullptr);
    menu->setItemText(index, (step ? namedCaption(namedKey, *step) : translate(plainKey)).c_str());
}

} // namespace

RecordedChange::RecordedChange(bool ownStep) {
    // Inside another recorded action, or during a drag (a key pressed while
    // the button is held), the change belongs to that one.
    if ((recordingDepth++ > 0 || pendingDrag) && !ownStep)
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

void recordNodeAdded(scene::ISceneNode* node, ChangeKind kind) {
    if (!node || !node->getParent())
        return;
    endDragChange();
    addStep(makeAddStep(node, kind));
    notePlacedNode(node, nullptr);
    showPlacedNodes();
    // The add asked for the whole name index to be made again; the new
    // node's names are in it already.
    editor.nameIndexRefresh.pending = false;
}

void recordNodesAdded(const std::vector<scene::ISceneNode*>& nodes, ChangeKind kind) {
    std::vector<std::unique_ptr<UndoStep>> steps;
    for (scene::ISceneNode* node : nodes)
        if (node && node->getParent())
            steps.push_back(makeAddStep(node, kind));
    if (steps.empty())
        return;
    endDragChange();
    addStep(steps.size() == 1 ? std::move(steps.front()) : makeGroupStep(std::move(steps)));
    for (scene::ISceneNode* node : nodes)
        if (node && node->getParent())
            notePlacedNode(node, nullptr);
    showPlacedNodes();
}

void deleteNodeRecorded(scene::ISceneNode* node) {
    scene::ISceneNode* parent = node ? node->getParent() : nullptr;
    if (!parent)
        return;
    endDragChange();
    // Both are held until the step holds them: the scene no longer does.
    const EngineRef<scene::ISceneNode> heldNode(node), heldParent(parent);
    const u32 position = detachNode(node);
    addStep(makeRemoveStep(node, parent, position));
    notePlacedNode(node, parent);
    showPlacedNodes();
}

void deleteNodesRecorded(const std::vector<scene::ISceneNode*>& nodes, ChangeKind kind) {
    std::vector<std::unique_ptr<UndoStep>> steps;
    endDragChange();
    for (scene::ISceneNode* node : nodes) {
        scene::ISceneNode* parent = node ? node->getParent() : nullptr;
        if (!parent)
            continue;
        const EngineRef<scene::ISceneNode> heldNode(node), heldParent(parent);
        const u32 position = detachNode(node);
        steps.push_back(makeRemoveStep(node, parent, position, kind));
        notePlacedNode(node, parent);
    }
    showPlacedNodes();
    // Undone newest first: each node goes back to the place it left.
    if (steps.size() == 1)
        addStep(std::move(steps.front()));
    else if (!steps.empty())
        addStep(makeGroupStep(std::move(steps)));
}

void recordStep(std::unique_ptr<UndoStep> step) {
    if (!step)
        return;
    endDragChange();
    addStep(std::move(step));
}

namespace {

// Undo and redo during a drag: what the drag did so far becomes its own step
// first, and the rest of the drag is recorded from the restored state on.
void stepThroughHistory(bool undo) {
    const bool dragging = pendingDrag != nullptr;
    endDragChange();
    const UndoStep* step = undo ? undoHistory.stepToUndo() : undoHistory.stepToRedo();
    if (step && (undo ? undoHistory.undo() : undoHistory.redo())) {
        showPlacedNodes();
        showRestoredScene(undo ? L"status_undone" : L"status_redone", *step);
    }
    if (dragging)
        beginDragChange();
}

} // namespace

void undoLastChange() { stepThroughHistory(true); }

void redoLastChange() { stepThroughHistory(false); }

void forgetSceneHistory() {
    pendingDrag.reset();
    undoHistory.clear();
    // The scene was replaced: its rows are built afresh.
    forgetPlacedNodes();
    forgetKeptRows();
    requestTreeRebuild();
    setHistoryNote(L"");
    updateUndoMenuItems();
}

bool handleUndoKey(const SEvent::SKeyInput& key) {
    // Ctrl+Shift+Z redoes as Ctrl+Y does.
    const ChordKey chord = controlChord(key, {KEY_KEY_Z, KEY_KEY_Y}, true);
    if (chord != ChordKey::Run)
        return chord == ChordKey::Taken;
    if (key.Key == KEY_KEY_Z && !key.Shift)
        undoLastChange();
    else
        redoLastChange();
    return true;
}

void updateUndoMenuItems() {
    showHistoryMenuItem(ids::CmdUndo, L"menu_scene_undo", L"menu_scene_undo_step", undoHistory.stepToUndo());
    showHistoryMenuItem(ids::CmdRedo, L"menu_scene_redo", L"menu_scene_redo_step", undoHistory.stepToRedo());
}

} // namespace sorn
