#pragma once
// A left click in the 3D view picks the node under the pointer: without a
// drag, with no editing mode on, not on a window. Control toggles the node.
#include <irrlicht.h>

namespace sorn {

// The mouse events of the view, as the receiver sees them before the GUI.
void onViewLeftButtonDown(const irr::SEvent::SMouseInput& mouse);
void onViewPointerMoved(const irr::SEvent::SMouseInput& mouse);
void onViewLeftButtonUp(const irr::SEvent::SMouseInput& mouse);

} // namespace sorn
