#pragma once
// Tabs that make their own undo steps (attributes, animators, custom
// properties) hand them to the undo history through the recorder the event
// layer installs, which also names them in the menu and the status line.
#include <memory>

namespace sorn {

class UndoStep;

using StepRecorder = void (*)(std::unique_ptr<UndoStep> step);

// Installed once at start; without one, steps are dropped unrecorded.
void setToolBoxStepRecorder(StepRecorder record);

// Records a change the tool box has already made as one undo step; a null step
// records nothing.
void recordToolBoxStep(std::unique_ptr<UndoStep> step);

} // namespace sorn
