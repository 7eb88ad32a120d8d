#pragma once
// The state of the modifier keys as the desktop knows it. The engine's key
// events carry Control and Shift but not Alt.
#include <irrlicht.h>

namespace sorn {
namespace platform {

// Whether Alt was held at the key event being handled, as the X server and
// the events still waiting tell it. False, with `known` false, when the
// device has no window to ask about (the null driver).
bool altHeld(irr::IrrlichtDevice* device, bool& known);

} // namespace platform
} // namespace sorn
