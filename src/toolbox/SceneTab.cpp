#include "toolbox/SceneTab.h"

#include <irrlicht.h>

#include "app/EditorState.h"
#include "app/TextConvert.h"
#include "app/Translate.h"
#include "scene/GridCommands.h"
#include "toolbox/NumberText.h"

using namespace irr;

namespace sorn {

namespace {

// Takes the box's number into `value` when it is a usable grid measure;
// otherwise puts the value in force back into the box.
void readGridMeasure(gui::IGUIElement* box, f32& value) {
    f32 typed = 0.f;
    if (parseFiniteNumber(box->getText(), typed) && typed > 0.f)
        value = typed;
    else
        box->setText(formatFloat(value).c_str());
}

} // namespace

void addSceneTabRows() {
    gui::IGUIElement* window = findElement(ids::ToolBoxWindow);
    gui::IGUIElement* tab = window ? window->getElementFromId(ids::ToolBoxFirstTab, true) : nullptr;
    if (!tab)
        return;
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    env->addStaticText(L"Grid:", core::rect<s32>(10, 10, 60, 35), false, false, tab, -1);
    env->addStaticText(L"Size:", core::rect<s32>(22, 38, 80, 56), false, false, tab, -1);
    env->addEditBox(formatFloat(editor.gridSize).c_str(), core::rect<s32>(80, 36, 173, 56), true, tab,
                    ids::GridSizeEdit);
    env->addStaticText(L"Spacing:", core::rect<s32>(22, 66, 80, 84), false, false, tab, -1);
    env->addEditBox(formatFloat(editor.gridSpacing).c_str(), core::rect<s32>(80, 64, 173, 84), true, tab,
                    ids::GridSpacingEdit);
    env->addButton(core::rect<s32>(113, 92, 173, 112), tab, ids::GridApply, translate(L"action_update").c_str());
}

void applyGridRows() {
    gui::IGUIElement* window = findElement(ids::ToolBoxWindow);
    if (!window)
        return;
    gui::IGUIElement* sizeBox = window->getElementFromId(ids::GridSizeEdit, true);
    gui::IGUIElement* spacingBox = window->getElementFromId(ids::GridSpacingEdit, true);
    if (!sizeBox || !spacingBox)
        return;
    readGridMeasure(sizeBox, editor.gridSize);
    readGridMeasure(spacingBox, editor.gridSpacing);
    setGridSizeAndSpacing(editor.gridSize, editor.gridSpacing);
}

} // namespace sorn
