#pragma once
// The keys of a desktop editor around the single-letter editing keys: a
// letter acts only when it went down with neither Control nor Alt held and
// not into an edit box (its release may come after Control was let go),
// Ctrl+D duplicates the selection, Tab moves between the tool box's rows.
// The Scene menu's Duplicate and Delete entries follow the selection.
#include <irrlicht.h>

namespace sorn {

enum class KeyOutcome {
    Continue, // the event goes on to the other keys
    Taken,    // handled here: the engine does not see it
    Ignored,  // a letter's release that must run no command; the engine sees it
};

// Looks at every key event before the editing keys run.
KeyOutcome filterEditingKey(const irr::SEvent::SKeyInput& key);

// Whether Alt is held: asked of the desktop when there is a window, else as
// the Alt key events went down and up.
bool altHeld();

// Duplicate and Delete are enabled with a node selected.
void updateSelectionMenuItems();

// Forgets the keys seen going down and the rows typed into (a fresh run).
void resetEditingKeys();

} // namespace sorn
