#include "app/StatusLine.h"

#include <cmath>

#include "app/EditorState.h"
#include "app/TextConvert.h"

using namespace irr;

namespace sorn {

namespace {

enum class ModeGroup { None, Move, Rotate, Scale };

ModeGroup modeGroup(s32 mode) {
    if (mode >= ids::ModeMoveX && mode <= ids::ModeMoveZ)
        return ModeGroup::Move;
    if (mode >= ids::ModeRotate && mode <= ids::ModeRotateZ)
        return ModeGroup::Rotate;
    if (mode == ids::ModeScale)
        return ModeGroup::Scale;
    return ModeGroup::None;
}

void appendVector(core::stringw& text, const wchar_t* label, const core::vector3df& v) {
    text += L"  |  ";
    text += label;
    text += L"X: ";
    text += formatFloat(v.X);
    text += L", Y: ";
    text += formatFloat(v.Y);
    text += L", Z: ";
    text += formatFloat(v.Z);
    text += L". ";
}

// Rounds to the nearest integer without undefined behaviour for values that
// do not fit an s32 (an engine speed can be anything a scene file says).
s32 toInt(f64 value) {
    if (!(value == value))
        return 0;
    if (value >= 2147483647.0)
        return 2147483647;
    if (value <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<s32>(value);
}

core::stringw& noteOfLastUndo() {
    static core::stringw note;
    return note;
}

} // namespace

void setHistoryNote(const core::stringw& note) { noteOfLastUndo() = note; }

const core::stringw& historyNote() { return noteOfLastUndo(); }

void updateStatusLine() {
    if (!editor.statusText)
        return;
    core::stringw text = L"Selection: ";
    scene::ISceneNode* node = editor.selectedNode;
    if (!node || !editor.nodeSelected) {
        text += L"Scene";
    } else {
        // The name as the saved file spells it: one character a byte.
        text += widenBytes(node->getName());
        switch (modeGroup(editor.editMode)) {
        case ModeGroup::Move:
            appendVector(text, L"Position: ", node->getPosition());
            break;
        case ModeGroup::Rotate:
            appendVector(text, L"Rotation: ", node->getRotation());
            break;
        case ModeGroup::Scale:
            appendVector(text, L"Scale: ", node->getScale());
            break;
        case ModeGroup::None:
            break;
        }
    }
    if (!historyNote().empty()) {
        text += L"  |  ";
        text += historyNote();
    }
    editor.statusText->setText(text.c_str());
}

void updateFrameReadout() {
    gui::IGUIElement* toolBox = findElement(ids::ToolBoxWindow);
    if (!toolBox)
        return;
    gui::IGUIElement* readout = toolBox->getElementFromId(ids::FrameReadout, true);
    if (!readout)
        return;
    core::stringw text;
    scene::ISceneNode* node = editor.selectedNode;
    if (node && node->getType() == scene::ESNT_ANIMATED_MESH) {
        auto* animated = static_cast<scene::IAnimatedMeshSceneNode*>(node);
        text += toInt(std::floor(static_cast<f64>(animated->getAnimationSpeed()) + 0.5));
        text += L" Frame: ";
        text += toInt(static_cast<f64>(animated->getFrameNr()));
    }
    readout->setText(text.c_str());
}

} // namespace sorn
