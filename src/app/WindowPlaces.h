#pragma once
// The scene box and the tool box open where the user last left them: their
// places are kept in the settings (window_scenebox_x/y, window_toolbox_x/y),
// written when a window is closed or moved by the user (a drag ends with the
// left button going up), not every frame. A window is never left outside
// the editor's window: on open, and when the editor's window is resized, a
// window that would stick out is moved inside, its title bar reachable.
#include <irrlicht.h>

namespace sorn {

struct WindowPlaceSetting {
    irr::s32 windowId;
    const wchar_t* xName;
    const wchar_t* yName;
    irr::core::position2di fallback; // where it opens without a usable setting
};

extern const WindowPlaceSetting kWindowPlaceSettings[2];

// A setting's text as a place coordinate: an optional minus and at most six
// digits, nothing else; false for anything else ("XXX", "", "12px", "1e9").
bool parsePlaceCoordinate(const irr::core::stringw& text, irr::s32& value);

// The top-left corner that keeps a window of the given size inside the
// screen, moved as little as possible; a window larger than the screen is
// put at its left or top edge, so its title bar stays reachable.
irr::core::position2di placeInside(irr::core::position2di at, irr::core::dimension2di size,
                                   irr::core::dimension2du screen);

// Moves a window that has just been made to its remembered place (or its
// fallback), inside the screen. Windows without a place setting are left alone.
void openWindowWhereLeft(irr::gui::IGUIElement* window);

// The user let go of the left button: a window that moved since it was
// placed has its place written to the settings file.
void rememberMovedWindowPlaces();
// The window is being closed: its place is written when it differs from the
// one kept.
void rememberWindowPlace(irr::gui::IGUIElement* window);

// Moves the open windows inside a screen of the given size (not written to
// the settings: the place the user chose comes back on a larger screen).
void keepWindowsInside(irr::core::dimension2du screen);
// Every pass of the frame loop: keepWindowsInside when the driver's screen
// size changed since the last pass.
void keepWindowsInsideScreen();

} // namespace sorn
