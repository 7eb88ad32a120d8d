#pragma once
// Renaming nodes (in place in the scene box, or with the object tab's name
// row) and moving them under another node by dragging their rows, each one
// undo step; and the scene box's filter box.
#include <irrlicht.h>

#include <vector>

namespace sorn {

// Gives every scene box from now on its rename and drop handlers.
void installSceneBoxEditing();

// Gives the node the text as its name (characters beyond Latin-1 become '?')
// as one "Rename" step; the tree, the name row and the status line show it.
// A name that does not change records nothing.
void renameNodeRecorded(irr::scene::ISceneNode* node, const wchar_t* text);
// The object tab's name row applied to the selected node.
void applyNameRow();

// The nodes an arranging command acts on, in the order they were picked:
// the selection.
std::vector<irr::scene::ISceneNode*> nodesToArrange();
// Moves the nodes under the new parent, keeping their place in the world, as
// one "Reparent" step, and shows the tree at once with the first of them in
// view. False when none could move (a node under itself or its own
// descendants, or already there).
bool reparentNodesRecorded(const std::vector<irr::scene::ISceneNode*>& nodes, irr::scene::ISceneNode* newParent);

// The filter box filters as it is typed into (the name row's Enter applies
// it as every tool box row's does). Returns whether the event was the filter's.
bool handleNameAndFilterBoxes(irr::gui::EGUI_EVENT_TYPE type, irr::s32 id);

} // namespace sorn
