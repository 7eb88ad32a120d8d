#include "toolbox/LightTab.h"

#include <cmath>
#include <string>

#include "app/EditorState.h"
#include "app/TextConvert.h"
#include "app/Translate.h"
#include "scene/NodeLifetime.h"
#include "toolbox/ColourSwatch.h"
#include "toolbox/ColourText.h"
#include "toolbox/NumberText.h"
#include "toolbox/ToolBoxRows.h"

using namespace irr;

namespace sorn {

namespace {

constexpr int kRowCount = 7;
const wchar_t* const kColourTip = L"ARGB: u32(A), u32(R), u32(G), u32(B)";
const wchar_t* const kNumberTip = L"f32";

// Row k: its label 0x500d0 + 2k and its edit box 0x500d1 + 2k.
s32 labelId(int row) { return ids::LightFirstRow + 2 * row; }
s32 editId(int row) { return ids::LightFirstRow + 2 * row + 1; }

enum Row { Diffuse, Specular, Ambient, Radius, InnerCone, OuterCone, Falloff };

const wchar_t* const kRowLabels[kRowCount] = {L"DiffuseColor:", L"SpecularColor:", L"AmbientColor:", L"Radius:",
                                              L"InnerCone:",    L"OuterCone:",     L"Falloff:"};

// The combo's items in order.
struct TypeItem {
    const wchar_t* key;
    video::E_LIGHT_TYPE type;
};

const TypeItem kTypeItems[] = {
    {L"light_type_point", video::ELT_POINT},
    {L"light_type_spot", video::ELT_SPOT},
    {L"light_type_directional", video::ELT_DIRECTIONAL},
};
constexpr s32 kTypeCount = static_cast<s32>(sizeof kTypeItems / sizeof kTypeItems[0]);

void showRow(int row, const core::stringw& value) {
    const wchar_t* tip = row <= Ambient ? kColourTip : kNumberTip;
    showToolBoxRow(labelId(row), true, kRowLabels[row], tip);
    showToolBoxRow(editId(row), true, value.c_str(), tip);
}

// The text of a row's edit box; false when the box is missing or empty (the
// value in force then stays).
bool rowText(int row, std::string& bytes) {
    return toolBoxText(editId(row), bytes) && !bytes.empty();
}

void readColour(int row, video::SColorf& colour) {
    std::string bytes;
    if (rowText(row, bytes))
        colour = colourToFloat(parseColourText(toolBoxElement(editId(row))->getText()));
}

// Text that is no number gives 0 as atof would; infinity, NaN and magnitudes
// beyond f32 keep the value.
bool readNumber(int row, f32& value) {
    std::string bytes;
    return rowText(row, bytes) && parseFiniteNumber(toolBoxElement(editId(row))->getText(), value);
}

scene::ILightSceneNode* selectedLight() {
    scene::ISceneNode* node = editor.selectedNode;
    if (!node || !editor.nodeSelected || !isLiveSceneNode(node) || node->getType() != scene::ESNT_LIGHT)
        return nullptr;
    return static_cast<scene::ILightSceneNode*>(node);
}

} // namespace

void addLightTab() {
    auto* tabs = static_cast<gui::IGUITabControl*>(toolBoxElement(ids::ToolBoxTabControl));
    if (!tabs)
        return;
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    gui::IGUITab* tab = tabs->addTab(translate(L"window_toolbox_tab_light").c_str(), -1);
    env->addStaticText(L"Type:", core::rect<s32>(10, 10, 60, 35), false, false, tab, -1);
    gui::IGUIComboBox* combo = env->addComboBox(core::rect<s32>(10, 38, 170, 56), tab, ids::LightTypeCombo);
    for (const TypeItem& item : kTypeItems)
        combo->addItem(translate(item.key).c_str(), 0);
    env->addStaticText(translate(L"window_toolbox_edit_edit").c_str(), core::rect<s32>(10, 71, 60, 96), false,
                       false, tab, -1);
    for (int row = 0; row < kRowCount; ++row) {
        const s32 y = 28 * row;
        env->addStaticText(L"", core::rect<s32>(22, 99 + y, 100, 117 + y), false, false, tab, labelId(row));
        if (row > Ambient) {
            env->addEditBox(L"", core::rect<s32>(100, 97 + y, 170, 117 + y), true, tab, editId(row));
            continue;
        }
        // A colour row: a narrower box and its swatch.
        gui::IGUIEditBox* box = env->addEditBox(L"", core::rect<s32>(100, 97 + y, 151, 117 + y), true, tab, editId(row));
        addColourSwatch(tab, core::rect<s32>(153, 98 + y, 170, 116 + y), ids::LightFirstSwatch + row, box,
                        [box](video::SColor colour) { enterColourIntoRow(box, colour); });
    }
    env->addButton(core::rect<s32>(110, 290, 170, 311), tab, ids::LightApply, translate(L"action_update").c_str());
    fillLightRows(editor.selectedNode);
}

void fillLightRows(scene::ISceneNode* node) {
    if (!findElement(ids::ToolBoxWindow) || !node || node->getType() != scene::ESNT_LIGHT)
        return;
    auto* light = static_cast<scene::ILightSceneNode*>(node);
    if (auto* combo = static_cast<gui::IGUIComboBox*>(toolBoxElement(ids::LightTypeCombo))) {
        for (s32 index = 0; index < kTypeCount; ++index)
            if (kTypeItems[index].type == light->getLightType())
                combo->setSelected(index);
    }
    const video::SLight data = light->getLightData();
    showRow(Diffuse, formatColourText(data.DiffuseColor));
    showRow(Specular, formatColourText(data.SpecularColor));
    showRow(Ambient, formatColourText(data.AmbientColor));
    showRow(Radius, formatFloat(light->getRadius()));
    showRow(InnerCone, formatFloat(data.InnerCone));
    showRow(OuterCone, formatFloat(data.OuterCone));
    showRow(Falloff, formatFloat(data.Falloff));
}

void applyLightTab() {
    scene::ILightSceneNode* light = selectedLight();
    if (!light)
        return;
    video::SLight data = light->getLightData();
    if (auto* combo = static_cast<gui::IGUIComboBox*>(toolBoxElement(ids::LightTypeCombo))) {
        const s32 index = combo->getSelected();
        if (index >= 0 && index < kTypeCount)
            data.Type = kTypeItems[index].type;
    }
    readColour(Diffuse, data.DiffuseColor);
    readColour(Specular, data.SpecularColor);
    readColour(Ambient, data.AmbientColor);
    readNumber(InnerCone, data.InnerCone);
    readNumber(OuterCone, data.OuterCone);
    readNumber(Falloff, data.Falloff);
    light->setLightData(data);
    // The engine attenuates by 1 / radius: a radius of 0 (text that is no
    // number reads as 0) would store an infinite attenuation, which a saved
    // scene cannot carry back. Such a radius keeps the one in force.
    f32 radius = 0.f;
    if (readNumber(Radius, radius) && std::isfinite(1.f / radius))
        light->setRadius(radius);
}

} // namespace sorn
