#pragma once
// The animators tab, on every node: the node's animators as the user authored
// them in a list (by the engine's type names), the kinds to add with an Add
// button, a Remove button for the one selected, and the selected one's
// attributes in an attribute panel below. Every change (an attribute edit
// applies through the animator's own reading) is one undo step and rebuilds
// the tool box with the same animator selected.
#include <irrlicht.h>

namespace sorn {

void addAnimatorsTab();

// The index of the animator the tab shows (-1: none). It stays selected
// across rebuilds of the tool box for the same node.
irr::s32 shownAnimatorIndex();

} // namespace sorn
