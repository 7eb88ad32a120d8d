#pragma once
// The undo history of scene changes. A step restores exactly the state before
// it (undo) or after it (redo): a node's own values, the grid and the model
// lighting flag, a node (with everything under it) taken out of or put back
// into its place in the scene graph, or the visibility of the skies. Nodes the
// history may put back are held, so a deleted node survives as long as a step
// can still restore it. Steps that change only what a save does not write
// (the grid, the lighting flag for models still to come) are undoable but are
// no unsaved work.
#include <irrlicht.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "scene/ChangeKind.h"
#include "scene/NodeState.h"

namespace sorn {

// The values of one node, of the grid and of the model lighting flag (the
// lighting key's state, given to models added later), as one user action
// found them.
struct SceneValues {
    NodeState node;
    irr::f32 gridSize = 0.f;
    irr::f32 gridSpacing = 0.f;
    bool modelLighting = false;

    bool operator==(const SceneValues& other) const {
        return node == other.node && gridSize == other.gridSize && gridSpacing == other.gridSpacing &&
               modelLighting == other.modelLighting;
    }
};

class UndoStep {
public:
    virtual ~UndoStep() = default;
    virtual void undo() = 0;
    virtual void redo() = 0;
    // Memory the step keeps alive, as counted against the history's bound.
    virtual std::size_t memoryCost() const = 0;
    // The node the step acts on (null for a grid-only change).
    virtual irr::scene::ISceneNode* node() const = 0;
    // Whether the step changes what a save writes; one that does not (the
    // grid, the lighting flag alone) leaves no unsaved work behind.
    virtual bool changesScene() const { return true; }
    // What the step did, as the menu and the status line name it.
    virtual ChangeKind kind() const = 0;
    // Whether the step only puts nodes into the scene graph or takes them
    // out (each move noted for showPlacedNodes).
    virtual bool placesNodesOnly() const { return false; }
};

// A node's values (and the grid's) changed in place.
std::unique_ptr<UndoStep> makeValuesStep(irr::scene::ISceneNode* node, const SceneValues& before,
                                         const SceneValues& after);
// A node was put into the scene graph (added or duplicated): undo takes it out.
std::unique_ptr<UndoStep> makeAddStep(irr::scene::ISceneNode* node, ChangeKind kind = ChangeKind::Add);
// A node was taken out of the scene graph (deleted) from its parent at the
// given position among the parent's children: undo puts it back there.
std::unique_ptr<UndoStep> makeRemoveStep(irr::scene::ISceneNode* node, irr::scene::ISceneNode* parent,
                                         irr::u32 position, ChangeKind kind = ChangeKind::Delete);

// Several steps done together: undone newest first, redone oldest first. The
// group is named after its first step.
std::unique_ptr<UndoStep> makeGroupStep(std::vector<std::unique_ptr<UndoStep>> steps);

// Takes the node out of its parent, holding it; returns its former position
// among the parent's children.
irr::u32 detachNode(irr::scene::ISceneNode* node);
// Puts a held node back under the parent at the given position.
void attachNode(irr::scene::ISceneNode* node, irr::scene::ISceneNode* parent, irr::u32 position);

class UndoHistory {
public:
    // The bound: at most this many steps and this many bytes kept; the oldest
    // steps go first.
    static constexpr std::size_t MaxSteps = 1000;
    static constexpr std::size_t MaxBytes = 64u * 1024u * 1024u;

    ~UndoHistory();

    // Adds a step that has already been done; what could be redone is dropped.
    void push(std::unique_ptr<UndoStep> step);
    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ < steps_.size(); }
    // The step the next undo or redo acts on; null when there is none.
    const UndoStep* stepToUndo() const { return canUndo() ? steps_[position_ - 1].get() : nullptr; }
    const UndoStep* stepToRedo() const { return canRedo() ? steps_[position_].get() : nullptr; }
    // Undoes or redoes one step; false when there is none.
    bool undo();
    bool redo();
    // Forgets every step (a new or opened scene), releasing the nodes held.
    void clear();

    std::size_t size() const { return steps_.size(); }
    // Counts the clears: an action that saw the history cleared under it (it
    // opened a scene) has nothing of its own to record.
    unsigned long generation() const { return generation_; }
    std::size_t memoryCost() const { return bytes_; }

    // Unsaved changes: the scene differs from the state it had when it was
    // last opened, saved or created, by at least one step that changes the scene.
    void markSaved();
    bool hasUnsavedChanges() const;

private:
    void dropOldest();
    // Whether any of steps_[from .. to) changes the scene.
    bool anySceneChange(std::size_t from, std::size_t to) const;

    std::vector<std::unique_ptr<UndoStep>> steps_;
    std::size_t position_ = 0; // steps_[0 .. position_) are done
    std::size_t bytes_ = 0;
    // Where the saved state lies in the history; -1 when no position of the
    // history matches it any more (its steps were dropped or replaced).
    long savedPosition_ = 0;
    unsigned long generation_ = 0;
};

extern UndoHistory undoHistory;

} // namespace sorn
