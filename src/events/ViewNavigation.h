#pragma once
// Looking at the scene: the wheel zooms the orbit cameras, F (and View >
// Frame selection) brings the selection into view, and View > Snap (or its
// toolbar button) switches snapping of drags.
#include <irrlicht.h>

namespace sorn {

// Every key event that passed the letter filter (filterEditingKey): F going
// up frames the selection (not while typing, not under a modal window).
void handleViewKey(const irr::SEvent::SKeyInput& key);

// The wheel over the 3D view (not over a window, a list or the menu) brings
// an orbit camera nearer its target or takes it away, by a factor per notch.
// The first-person camera ignores it.
void onMouseWheel(const irr::SEvent::SMouseInput& mouse);

// Turns the active camera to the centre of the selected nodes (the whole
// scene when nothing is selected) and sets it at the distance where they
// fill the view. Nothing to frame: the camera stays.
void frameSelection();

// The View menu's Snap and Frame selection entries; false for other commands.
bool handleViewMenuCommand(irr::s32 command);
// The toolbar's snap button.
void toggleSnapFromButton();

// The limits of an orbit camera's distance to its target.
irr::f32 nearestOrbitDistance();
irr::f32 farthestOrbitDistance(irr::scene::ICameraSceneNode* camera);
// The distance factor of one wheel notch towards the target.
constexpr irr::f32 kWheelZoomFactor = 0.8f;

} // namespace sorn
