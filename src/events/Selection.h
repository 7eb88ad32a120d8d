#pragma once
// Changing the selection. A pick in the scene box tree and a click in the
// view go through the same functions, so both show the same trace line,
// status line, tool box, tree rows and gizmo. Every operation that destroys
// or replaces nodes (delete, new scene, open scene, add model) goes through
// clearSelection, so the node pointer, the node-selected flag, the editing
// mode and what the windows show never disagree. Before a pick changes the
// selection, values typed into the tool box and not applied are applied to
// the nodes they were typed for (events/ToolBoxRowCommands.h).
#include <irrlicht.h>

#include <vector>

namespace sorn {

enum class PickHow {
    Only,   // a plain click: the node alone (nothing for empty space)
    Toggle, // Control: the node joins the selection or leaves it
};

// The user picked the node (null: empty space or the tree's "Scene" row).
// With reveal, the tree expands to the primary's row and scrolls it into view.
void pickNode(irr::scene::ISceneNode* node, PickHow how, bool reveal);
// The user picked a range of the tree's rows: the nodes from the previous
// primary's row to the clicked one; the clicked node becomes the primary.
void pickNodes(const std::vector<irr::scene::ISceneNode*>& nodes);

// The selection became these nodes by a command (a duplicate selects its
// copies): tool box, status line and tree follow, no trace line.
void selectNodesQuietly(const std::vector<irr::scene::ISceneNode*>& nodes);

// Leaves any keyboard/mouse editing mode (gizmo hidden, camera and windows
// back), clears the selection and the node-selected flag, rewrites the status
// line and, when something was selected, asks the frame loop to rebuild the
// scene box and the tool box so the tool box shows its scene tab again. The
// nodes' own debug drawing is left as it is: it belongs to the scene.
void clearSelection();

// Escape, or a click on empty space: nothing is selected any more, shown at once.
void deselectAll();

} // namespace sorn
