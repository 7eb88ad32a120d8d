#pragma once

namespace sorn {

// Rewrites the status line: the selection and, in a transform mode, the value
// that the mode changes.
void updateStatusLine();

// Rewrites the tool box's animation read-out (speed and current frame of a
// selected animated mesh); does nothing while the tool box or read-out is absent.
void updateFrameReadout();

} // namespace sorn
