#pragma once
#include <irrlicht.h>

namespace sorn {

// Rewrites the status line: the selection and, in a transform mode, the value
// that the mode changes.
void updateStatusLine();

// What the last undo or redo did ("Undone: Move"), shown after the selection
// until the next change is recorded or the history is cleared (empty: none).
void setHistoryNote(const irr::core::stringw& note);
const irr::core::stringw& historyNote();

// Rewrites the tool box's animation read-out (speed and current frame of a
// selected animated mesh); does nothing while the tool box or read-out is absent.
void updateFrameReadout();

} // namespace sorn
