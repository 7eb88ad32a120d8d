#pragma once
// Undo and redo of the user's scene changes, and the recording that feeds the
// history: every action that may change the selected node's values (a tool
// box apply or step, a key, a whole drag) is looked at before and after, and
// becomes one step when it changed something; adding, duplicating and
// deleting nodes record where the node went.
#include <irrlicht.h>

#include <memory>
#include <vector>

#include "scene/ChangeKind.h"

namespace sorn {

struct ChangeStart;
class UndoStep;

// Records one user action on the selected node and the grid: construct it
// before the action runs; the destructor adds a step if anything changed. An
// action recorded inside another one is part of the outer one's step, unless
// it is its own step: values applied to the selection just before the
// selection changes, which the outer action (a key, a button) no longer sees.
class RecordedChange {
public:
    explicit RecordedChange(bool ownStep = false);
    ~RecordedChange();
    RecordedChange(const RecordedChange&) = delete;
    RecordedChange& operator=(const RecordedChange&) = delete;

private:
    std::unique_ptr<ChangeStart> start_;
};

// A left-button drag is one step: begun when the button goes down, ended when
// it comes up (or when any other recorded action or an undo comes first).
void beginDragChange();
void endDragChange();

// The node was put into the scene (added from the catalogue or a model file,
// duplicated): one step that undo takes back out, named by kind.
void recordNodeAdded(irr::scene::ISceneNode* node, ChangeKind kind = ChangeKind::Add);
// Several nodes put into the scene by one action (a scene file added as a
// model): one step for all of them.
void recordNodesAdded(const std::vector<irr::scene::ISceneNode*>& nodes, ChangeKind kind = ChangeKind::Add);
// Takes the node out of the scene as one step that undo puts back, with its
// children, materials and animators, at its place among its siblings.
void deleteNodeRecorded(irr::scene::ISceneNode* node);
// Takes several nodes out as one step (none of them under another).
void deleteNodesRecorded(const std::vector<irr::scene::ISceneNode*>& nodes, ChangeKind kind = ChangeKind::Delete);
// A change already made that the caller describes as its own step (the
// skies shown or hidden); a null step records nothing.
void recordStep(std::unique_ptr<UndoStep> step);

// Undo and redo as the user asks for them: the scene box, the tool box, the
// gizmo, the status line and the debug drawing check marks then show the
// restored state, and the status line says what was undone or redone.
void undoLastChange();
void redoLastChange();

// A scene replaced it all (new, opened): nothing before it can be undone, and
// it has no unsaved changes.
void forgetSceneHistory();

// Ctrl+Z undoes, Ctrl+Y and Ctrl+Shift+Z redo, unless an edit box has the
// focus (there the keys edit the text) or a modal window is open. Returns
// whether the key was such a command.
bool handleUndoKey(const irr::SEvent::SKeyInput& key);

// Enables the Scene menu's undo and redo entries only when there is
// something to undo or redo, and names the step each would act on
// ("Undo Move (Ctrl+Z)"; the plain caption when there is none).
void updateUndoMenuItems();

} // namespace sorn
