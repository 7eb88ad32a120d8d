#pragma once
// Snapping of drags: whether it is on and the steps, kept in the settings
// ("snap_on", "snap_position", "snap_rotation", "snap_scale"), and the
// rounding of a value to a whole multiple of a step.
#include <irrlicht.h>

#include "app/AtomicFile.h"

namespace sorn {

// Reads the snap settings into the editor-wide state. A missing or unusable
// value (not a number, zero, negative) gives the default: off, the grid
// spacing, 15 degrees, 0.1.
void loadSnapSettings();

// The step of a position drag: the setting, or the grid spacing when there is none.
irr::f32 snapPositionStep();

// Switches snapping on or off and writes the choice to the settings file.
// False (with why in failure) when the file could not be written; the
// choice holds for this run all the same.
bool setSnapOn(bool on, WriteFailure* failure = nullptr);

// The nearest whole multiple of the step (a step of 0 or less: the value).
irr::f32 roundToStep(irr::f32 value, irr::f32 step);

} // namespace sorn

namespace sorn {

// The View menu's Snap check mark and the toolbar's snap button show whether
// snapping is on.
void showSnapState();

} // namespace sorn
