#pragma once
// The particle tab of a selected particle system: a nested emitter tab with
// the emitter type in a combo box and twenty label/value rows, and an update
// button that replaces the system's emitter by a new one built from the rows.
#include <irrlicht.h>

namespace sorn {

// Adds the particle tab (with its emitter tab) to the tool box's tab control
// and fills it from the selected node. Nothing is built without the tab control.
void addParticleTab();

// Selects the combo item of the node's emitter type and shows that type's
// rows. Does nothing while the tool box is closed, for a node that is no
// particle system, or for a system without an emitter.
void fillEmitterTab(irr::scene::ISceneNode* node);

// Shows the rows of an emitter type (combo index 0 to 6) with the values of
// the selected system's emitter. Rows a type does not use are hidden or left
// as they are; mesh types and other indices change nothing. Same guards as
// fillEmitterTab, for the selected node.
void showEmitterRows(irr::s32 type);

// Builds an emitter of the combo's type from the rows and puts it in place of
// the selected system's emitter. Mesh types and other indices do nothing.
void applyEmitterTab();

// Bounds of what the rows can give the engine. The engine keeps at most about
// 16,000 particles alive per system, so a rate above 20,000 a second only
// matters for lives under a second; but an emitter releases up to twice its
// rate in one burst after a pause (a window in the background), and that burst
// is allocated and computed within one frame: 40,000 particles cost about
// 50 ms once on a 2-core machine, 200,000 several hundred. Lives stay far below
// the wrap of the engine's millisecond clock.
constexpr irr::u32 kMaxParticlesPerSecond = 20000;
constexpr irr::u32 kMaxParticleLifeTimeMs = 600000; // ten minutes
constexpr irr::s32 kMaxEmitterAngleDegrees = 360;
// Billboard width and height: a larger particle covers the whole view from
// any distance the editor's cameras work at and only costs drawing time.
constexpr irr::f32 kMaxParticleStartSize = 1000.f;
// Direction components, in units per millisecond.
constexpr irr::f32 kMaxEmitterDirection = 1000.f;
// Radius, ring thickness and cylinder length.
constexpr irr::f32 kMaxEmitterExtent = 100000.f;

} // namespace sorn
