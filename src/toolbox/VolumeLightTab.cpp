#include "toolbox/VolumeLightTab.h"

#include <string>

#include "app/EditorState.h"
#include "app/TextConvert.h"
#include "app/Translate.h"
#include "toolbox/ColourSwatch.h"
#include "toolbox/ColourText.h"
#include "toolbox/NumberText.h"
#include "toolbox/ToolBoxRows.h"

using namespace irr;

namespace sorn {

namespace {

scene::IVolumeLightSceneNode* selectedVolumeLight() {
    scene::ISceneNode* node = editor.selectedNode;
    if (!node || !editor.nodeSelected || node->getType() != scene::ESNT_VOLUME_LIGHT)
        return nullptr;
    return static_cast<scene::IVolumeLightSceneNode*>(node);
}

// The box's colour, when it holds any text.
bool typedColour(s32 id, video::SColor& colour) {
    std::string bytes;
    if (!toolBoxText(id, bytes) || bytes.empty())
        return false;
    colour = parseColourText(toolBoxElement(id)->getText());
    return true;
}

// The box's subdivision count, when it holds a finite number: truncated
// toward zero and kept between 0 and kMaxVolumeLightSubdivisions.
bool typedSubdivisions(s32 id, u32& count) {
    std::string bytes;
    f32 value = 0.f;
    if (!toolBoxText(id, bytes) || bytes.empty() || !parseFiniteNumber(toolBoxElement(id)->getText(), value))
        return false;
    if (value <= 0.f)
        count = 0;
    else if (value >= static_cast<f32>(kMaxVolumeLightSubdivisions))
        count = kMaxVolumeLightSubdivisions;
    else
        count = static_cast<u32>(value);
    return true;
}

void showCount(s32 id, u32 count) {
    if (gui::IGUIElement* box = toolBoxElement(id))
        box->setText(core::stringw(count).c_str());
}

} // namespace

void addVolumeLightTab() {
    auto* tabs = static_cast<gui::IGUITabControl*>(toolBoxElement(ids::ToolBoxTabControl));
    if (!tabs)
        return;
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    gui::IGUITab* tab = tabs->addTab(translate(L"window_toolbox_tab_volume_light").c_str(), -1);
    env->addStaticText(translate(L"window_toolbox_edit_colour").c_str(), core::rect<s32>(10, 10, 60, 35), false,
                       false, tab, -1);
    env->addStaticText(L"Tail:", core::rect<s32>(10, 38, 60, 56), false, false, tab, -1);
    gui::IGUIEditBox* tail = env->addEditBox(L"", core::rect<s32>(60, 36, 151, 56), true, tab, ids::VolumeLightTailEdit);
    addColourSwatch(tab, core::rect<s32>(153, 37, 170, 55), ids::VolumeLightTailSwatch, tail,
                    [tail](video::SColor colour) { enterColourIntoRow(tail, colour); });
    env->addStaticText(L"Foot:", core::rect<s32>(10, 66, 60, 84), false, false, tab, -1);
    gui::IGUIEditBox* foot = env->addEditBox(L"", core::rect<s32>(60, 64, 151, 84), true, tab, ids::VolumeLightFootEdit);
    addColourSwatch(tab, core::rect<s32>(153, 65, 170, 83), ids::VolumeLightFootSwatch, foot,
                    [foot](video::SColor colour) { enterColourIntoRow(foot, colour); });
    env->addButton(core::rect<s32>(110, 96, 170, 117), tab, ids::VolumeLightColourApply,
                   translate(L"action_update").c_str());
    env->addStaticText(L"Detail:", core::rect<s32>(10, 132, 60, 157), false, false, tab, -1);
    env->addStaticText(L"SubDivU:", core::rect<s32>(10, 160, 60, 178), false, false, tab, -1);
    env->addEditBox(L"", core::rect<s32>(60, 158, 170, 175), true, tab, ids::VolumeLightSubDivUEdit);
    env->addStaticText(L"SubDivV:", core::rect<s32>(10, 185, 60, 203), false, false, tab, -1);
    env->addEditBox(L"", core::rect<s32>(60, 183, 170, 203), true, tab, ids::VolumeLightSubDivVEdit);
    env->addButton(core::rect<s32>(110, 215, 170, 236), tab, ids::VolumeLightApply,
                   translate(L"action_update").c_str());
    fillVolumeLightRows(editor.selectedNode);
}

void fillVolumeLightRows(scene::ISceneNode* node) {
    if (!findElement(ids::ToolBoxWindow) || !node || node->getType() != scene::ESNT_VOLUME_LIGHT)
        return;
    auto* light = static_cast<scene::IVolumeLightSceneNode*>(node);
    if (gui::IGUIElement* tail = toolBoxElement(ids::VolumeLightTailEdit))
        tail->setText(formatColourText(light->getTailColor()).c_str());
    if (gui::IGUIElement* foot = toolBoxElement(ids::VolumeLightFootEdit))
        foot->setText(formatColourText(light->getFootColor()).c_str());
    showCount(ids::VolumeLightSubDivUEdit, light->getSubDivideU());
    showCount(ids::VolumeLightSubDivVEdit, light->getSubDivideV());
}

void applyVolumeLightColours() {
    scene::IVolumeLightSceneNode* light = selectedVolumeLight();
    if (!light)
        return;
    video::SColor colour;
    if (typedColour(ids::VolumeLightTailEdit, colour))
        light->setTailColor(colour);
    if (typedColour(ids::VolumeLightFootEdit, colour))
        light->setFootColor(colour);
}

void applyVolumeLightRows() {
    scene::IVolumeLightSceneNode* light = selectedVolumeLight();
    if (!light)
        return;
    applyVolumeLightColours();
    u32 count = 0;
    if (typedSubdivisions(ids::VolumeLightSubDivUEdit, count))
        light->setSubDivideU(count);
    if (typedSubdivisions(ids::VolumeLightSubDivVEdit, count))
        light->setSubDivideV(count);
    showCount(ids::VolumeLightSubDivUEdit, light->getSubDivideU());
    showCount(ids::VolumeLightSubDivVEdit, light->getSubDivideV());
}

} // namespace sorn
