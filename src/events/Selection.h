#pragma once
// Dropping the selection. Every operation that destroys or replaces nodes
// (delete, new scene, open scene, add model) goes through clearSelection, so
// the node pointer, the node-selected flag, the editing mode and what the
// windows show never disagree.

namespace sorn {

// Leaves any keyboard/mouse editing mode (gizmo hidden, camera and windows
// back), switches the node's debug drawing off, clears the selected node and
// the node-selected flag, rewrites the status line and, when something was
// selected, asks the frame loop to rebuild the scene box and the tool box so
// the tool box shows its scene tab again.
void clearSelection();

} // namespace sorn
