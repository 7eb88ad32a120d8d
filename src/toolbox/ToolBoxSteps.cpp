#include "toolbox/ToolBoxSteps.h"

#include "scene/UndoHistory.h"

namespace sorn {

namespace {
StepRecorder recorder = nullptr;
} // namespace

void setToolBoxStepRecorder(StepRecorder record) { recorder = record; }

void recordToolBoxStep(std::unique_ptr<UndoStep> step) {
    if (step && recorder)
        recorder(std::move(step));
}

} // namespace sorn
