#include "toolbox/ToolBoxRowGroups.h"

#include <map>

#include "app/EditorState.h"
#include "toolbox/LightTab.h"
#include "toolbox/MaterialTab.h"
#include "toolbox/ObjectTab.h"
#include "toolbox/ParticleTab.h"
#include "toolbox/SceneTab.h"
#include "toolbox/SkyBoxRows.h"
#include "toolbox/TerrainSkyRows.h"
#include "toolbox/TextTab.h"
#include "toolbox/ToolBoxRows.h"
#include "toolbox/VolumeLightTab.h"

using namespace irr;

namespace sorn {

namespace {

void (*nameRowApply)() = nullptr;

void applyNameRowThroughCommand() {
    if (nameRowApply)
        nameRowApply();
}

// The texts the user gave the rows, and what each showed when it took the
// focus, by row id.
std::map<s32, core::stringw> userTexts;
std::map<s32, core::stringw> focusTexts;
scene::ISceneNode* shownNode = nullptr;

// Seen on screen: the element and every parent up to the root are visible
// (a row of a tab page not shown is not).
bool shownOnScreen(gui::IGUIElement* element) {
    if (!element || !editor.device)
        return false;
    gui::IGUIElement* root = editor.device->getGUIEnvironment()->getRootGUIElement();
    for (gui::IGUIElement* e = element; e; e = e->getParent()) {
        if (e == root)
            return true;
        if (!e->isVisible())
            return false;
    }
    return false;
}

bool isRowId(s32 id) {
    for (const RowGroup& group : rowGroups())
        if (group.holds(id))
            return true;
    return false;
}

} // namespace

bool RowGroup::holds(s32 id) const {
    for (s32 i = 0; i < rowCount; ++i)
        if (row(i) == id)
            return true;
    return false;
}

const std::vector<RowGroup>& rowGroups() {
    // Light and emitter rows: the edit box of row k is first + 2k.
    // The object rows keep a component whose text is no finite number; the
    // other groups with several rows keep a row left empty. An emitter is
    // built anew from all its rows.
    static const std::vector<RowGroup> groups = {
        {ids::ApplyPosition, applyPositionRows, ids::PositionEditX, 1, 3, L"nan"},
        {ids::ApplyRotation, applyRotationRows, ids::RotationEditX, 1, 3, L"nan"},
        {ids::ApplyScale, applyScaleRows, ids::ScaleEditX, 1, 3, L"nan"},
        {ids::SkyBoxApply, applySkyBoxRows, ids::SkyBoxBackEdit, 1, 6, L""},
        {ids::ImagePathApply, applyImageRow, ids::ImagePathEdit, 1, 1, nullptr},
        {ids::ApplyName, applyNameRowThroughCommand, ids::NameEdit, 1, 1, nullptr},
        {ids::GridApply, applyGridRows, ids::GridSizeEdit, 1, 2, L""},
        {ids::MaterialTextureSet, applyMaterialTexture, ids::MaterialTexturePath, 1, 1, nullptr},
        {ids::LightApply, applyLightTab, ids::LightFirstRow + 1, 2, 7, L""},
        {ids::EmitterUpdate, applyEmitterTab, ids::EmitterFirstRow + 1, 2, 20, nullptr},
        {ids::TextApply, applyTextTab, ids::TextEdit, ids::TextColourEdit - ids::TextEdit, 2, nullptr},
        // Tail is shown above foot.
        {ids::VolumeLightColourApply, applyVolumeLightColours, ids::VolumeLightTailEdit, -1, 2, L""},
        {ids::VolumeLightApply, applyVolumeLightRows, ids::VolumeLightSubDivUEdit, 1, 2, L""},
    };
    return groups;
}

const RowGroup* shownGroupOfRow(s32 id) {
    for (const RowGroup& group : rowGroups())
        if (group.holds(id) && toolBoxElement(group.button))
            return &group;
    return nullptr;
}

const RowGroup* shownGroupOfButton(s32 id) {
    for (const RowGroup& group : rowGroups())
        if (group.button == id && toolBoxElement(group.button))
            return &group;
    return nullptr;
}

void applyRowGroup(const RowGroup& group) {
    group.apply();
    for (s32 i = 0; i < group.rowCount; ++i)
        userTexts.erase(group.row(i));
}

void applyTypedRowsOf(const RowGroup& group) {
    std::vector<std::pair<gui::IGUIElement*, core::stringw>> kept;
    if (group.keepText)
        for (s32 i = 0; i < group.rowCount; ++i) {
            gui::IGUIElement* row = toolBoxElement(group.row(i));
            if (row && !rowIsTyped(group.row(i))) {
                kept.emplace_back(row, row->getText());
                row->setText(group.keepText);
            }
        }
    applyRowGroup(group);
    // Rows the apply did not write again show their values as before.
    for (const auto& [row, text] : kept)
        if (core::stringw(row->getText()) == group.keepText)
            row->setText(text.c_str());
}

void setNameRowApply(void (*apply)()) { nameRowApply = apply; }

gui::IGUIElement* neighbourRow(s32 id, bool backwards) {
    // Every row shown, top to bottom.
    std::vector<gui::IGUIElement*> rows;
    s32 at = -1;
    for (const RowGroup& group : rowGroups()) {
        if (!toolBoxElement(group.button))
            continue;
        for (s32 i = 0; i < group.rowCount; ++i) {
            gui::IGUIElement* row = toolBoxElement(group.row(i));
            if (!shownOnScreen(row) || !row->isEnabled())
                continue;
            if (group.row(i) == id)
                at = static_cast<s32>(rows.size());
            rows.push_back(row);
        }
    }
    if (at < 0)
        return nullptr;
    const s32 count = static_cast<s32>(rows.size());
    return rows[static_cast<size_t>((at + (backwards ? count - 1 : 1)) % count)];
}

void noteRowFocused(s32 id) {
    gui::IGUIElement* row = isRowId(id) ? toolBoxElement(id) : nullptr;
    if (row && !rowIsTyped(id))
        focusTexts[id] = row->getText();
}

void noteRowEdited(s32 id) {
    gui::IGUIElement* row = isRowId(id) ? toolBoxElement(id) : nullptr;
    if (row)
        userTexts[id] = row->getText();
}

bool rowIsTyped(s32 id) {
    auto typed = userTexts.find(id);
    gui::IGUIElement* row = toolBoxElement(id);
    if (typed == userTexts.end() || !row || typed->second != row->getText())
        return false;
    auto focused = focusTexts.find(id);
    return focused == focusTexts.end() || focused->second != typed->second;
}

std::vector<const RowGroup*> typedGroups() {
    std::vector<const RowGroup*> typed;
    for (const RowGroup& group : rowGroups()) {
        if (!toolBoxElement(group.button))
            continue;
        for (s32 i = 0; i < group.rowCount; ++i)
            if (rowIsTyped(group.row(i))) {
                typed.push_back(&group);
                break;
            }
    }
    return typed;
}

void forgetTypedRows() {
    userTexts.clear();
    focusTexts.clear();
}

void noteToolBoxNode(scene::ISceneNode* node) {
    if (node != shownNode)
        forgetTypedRows();
    shownNode = node;
}

TypedRowsKept::TypedRowsKept() : node_(shownNode) {
    for (const auto& [id, text] : userTexts)
        if (rowIsTyped(id))
            typed_.emplace_back(id, text);
}

void TypedRowsKept::restore() {
    if (node_ != shownNode)
        return;
    for (const auto& [id, text] : typed_)
        if (gui::IGUIElement* row = toolBoxElement(id))
            row->setText(text.c_str());
}

} // namespace sorn
