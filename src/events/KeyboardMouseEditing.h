#pragma once
// Editing the selected node in the 3D view: letter keys choose a transform
// mode and axis and show the gizmo, left-button drags change the node by fixed
// steps; a few more keys toggle the camera read-out, minimise the window and
// switch model lighting.
#include <irrlicht.h>

#include <initializer_list>

namespace sorn {

// Runs the command of a released key. Returns whether the event is consumed
// (only Escape in first-person mode, which gives the mouse back to the menus).
bool handleKeyRelease(irr::EKEY_CODE key);

void onLeftButtonDown();
void onLeftButtonUp();
// In rotate X, Y or Z mode a right click puts the node's rotation back to zero.
void onRightButtonUp();
// A drag with the left button held steps the node in the current mode.
void onMouseMoved(irr::s32 x, irr::s32 y);

// A modal dialog or message box is open: no keyboard command runs.
bool modalDialogOpen();
// An edit box that the user can see has the focus: letters are text there.
bool typingIntoEditBox();

// A Control chord (Ctrl+Z, Ctrl+C...) runs when its key goes down, while
// Control is surely held; its release is taken whatever the modifiers are by
// then (Control is often let go first), so it never reaches the plain
// letter's editing command. Nothing runs in a modal window or while typing.
enum class ChordKey {
    Other, // not this chord: the event goes on
    Run,   // the chord went down: run its command, the event is taken
    Taken, // the release of a chord that ran
};
// With alsoWhileTyping the chord acts in an edit box too (Ctrl+S, which means
// nothing to the text).
ChordKey controlChord(const irr::SEvent::SKeyInput& key, std::initializer_list<irr::EKEY_CODE> keys,
                      bool shiftAllowed, bool alsoWhileTyping = false);

// Switches the active camera's input and the tool box and scene box windows
// on or off together.
void setCameraAndWindowsEnabled(bool enabled);
// Switches the active camera's input to the opposite state.
void toggleCameraInput();

// Turns a move, rotate or scale mode off as Escape does (rows refilled, gizmo
// hidden, camera and windows back, no mode) and rewrites the status line.
// Does nothing outside those modes, so the first-person mode stays.
void leaveEditingMode();

} // namespace sorn
