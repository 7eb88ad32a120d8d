#pragma once
// Drags with snapping on: the pointer's steps are added up unsnapped, and the
// dragged value shown is the nearest whole multiple of the snap step, so a
// slow drag still gets there and one of less than half a step changes
// nothing. With several nodes the primary one lands on the multiple and the
// others move, turn or scale by as much.
#include <irrlicht.h>

#include <vector>

namespace sorn {

// A new drag starts from the nodes' values as they are now.
void startSnappedDrag();

// One pointer event of a drag in the current editing mode: `steps` is +1
// (right or down), -1 (left or up) or 0 (both, a diagonal). `group` holds the
// topmost selected nodes; the primary is the selected node. Returns whether
// a node changed.
bool dragSnapped(const std::vector<irr::scene::ISceneNode*>& group, irr::scene::ISceneNode* primary, int steps);

} // namespace sorn
