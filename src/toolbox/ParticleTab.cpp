#include "toolbox/ParticleTab.h"

#include "app/EditorState.h"
#include "app/TextConvert.h"
#include "app/Translate.h"
#include "toolbox/ColourSwatch.h"
#include "toolbox/ColourText.h"
#include "toolbox/EmitterRows.h"
#include "toolbox/EmitterText.h"
#include "toolbox/ToolBoxRows.h"

using namespace irr;

namespace sorn {

namespace {

// Combo items in the order of the engine's emitter types.
const wchar_t* const kEmitterTypeNames[] = {L"POINT", L"ANIMATED_MESH", L"BOX", L"CYLINDER",
                                            L"MESH", L"RING", L"SPHERE"};

const wchar_t* const kFloatTip = L"f32";
const wchar_t* const kCountTip = L"u32";
const wchar_t* const kSizeTip = L"DIMENSION2D: f32(W), f32(H)";
const wchar_t* const kColourTip = L"ARGB: u32(A), u32(R), u32(G), u32(B)";

void showRow(int row, const wchar_t* label, const core::stringw& value, const wchar_t* tooltip) {
    showToolBoxRow(emitterLabelId(row), true, label, tooltip);
    showToolBoxRow(emitterEditId(row), true, value.c_str(), tooltip);
}

void hideRow(int row) {
    showToolBoxRow(emitterLabelId(row), false, L"", L"");
    showToolBoxRow(emitterEditId(row), false, L"", L"");
}

core::stringw decimal(long value) {
    return core::stringw(value);
}

// Rows 0 to 11: what every emitter has.
void showCommonRows(const scene::IParticleEmitter& emitter) {
    const core::vector3df direction = emitter.getDirection();
    showRow(0, L"Direction.X:", formatFloat(direction.X), kFloatTip);
    showRow(1, L"Direction.Y:", formatFloat(direction.Y), kFloatTip);
    showRow(2, L"Direction.Z:", formatFloat(direction.Z), kFloatTip);
    showRow(3, L"MaxAngleDeg:", decimal(emitter.getMaxAngleDegrees()), kCountTip);
    showRow(4, L"MinLifeTime:", decimal(emitter.getMinLifeTime()), kCountTip);
    showRow(5, L"MaxLifeTime:", decimal(emitter.getMaxLifeTime()), kCountTip);
    showRow(6, L"MinPart/Sec:", decimal(emitter.getMinParticlesPerSecond()), kCountTip);
    showRow(7, L"MaxPart/Sec:", decimal(emitter.getMaxParticlesPerSecond()), kCountTip);
    showRow(8, L"MinStartSize:", formatDimensionText(emitter.getMinStartSize()), kSizeTip);
    showRow(9, L"MaxStartSize:", formatDimensionText(emitter.getMaxStartSize()), kSizeTip);
    showRow(10, L"MinStartColor:", formatColourText(emitter.getMinStartColor()), kColourTip);
    showRow(11, L"MaxStartColor:", formatColourText(emitter.getMaxStartColor()), kColourTip);
}

// The radius row always offers 20, whatever the emitter's own radius.
void showRadiusRow() {
    showRow(kRadiusRow, L"Radius:", L"20", kFloatTip);
}

// The cylinder length and ring thickness exist only on emitters of those
// types: another emitter is never read as one (the engine's classes differ),
// and its row offers 0, what an unreadable box applies anyway.
f32 cylinderLength(const scene::IParticleEmitter& emitter) {
    if (emitter.getType() != scene::EPET_CYLINDER)
        return 0.f;
    return static_cast<const scene::IParticleCylinderEmitter&>(emitter).getLength();
}

f32 ringThickness(const scene::IParticleEmitter& emitter) {
    if (emitter.getType() != scene::EPET_RING)
        return 0.f;
    return static_cast<const scene::IParticleRingEmitter&>(emitter).getRingThickness();
}

} // namespace

scene::IParticleEmitter* selectedEmitter() {
    scene::ISceneNode* node = editor.selectedNode;
    if (!node || node->getType() != scene::ESNT_PARTICLE_SYSTEM)
        return nullptr;
    return static_cast<scene::IParticleSystemSceneNode*>(node)->getEmitter();
}

void addParticleTab() {
    gui::IGUIElement* tabControl = toolBoxElement(ids::ToolBoxTabControl);
    if (!tabControl || tabControl->getType() != gui::EGUIET_TAB_CONTROL)
        return;
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    gui::IGUITab* particleTab = static_cast<gui::IGUITabControl*>(tabControl)->addTab(
        translate(L"window_toolbox_tab_particle").c_str(), -1);
    gui::IGUITabControl* nested = env->addTabControl(core::rect<s32>(4, 10, 188, 658), particleTab, true, true, -1);
    gui::IGUITab* emitterTab = nested->addTab(translate(L"window_toolbox_tab_emitter").c_str(), -1);

    env->addStaticText(L"Type:", core::rect<s32>(10, 10, 60, 35), false, false, emitterTab, -1);
    gui::IGUIComboBox* combo = env->addComboBox(core::rect<s32>(10, 38, 170, 56), emitterTab, ids::EmitterTypeCombo);
    for (const wchar_t* name : kEmitterTypeNames)
        combo->addItem(name, 0);
    env->addStaticText(translate(L"window_toolbox_edit_edit").c_str(), core::rect<s32>(10, 71, 60, 96), false, false,
                       emitterTab, -1);
    for (int row = 0; row < kEmitterRowCount; ++row) {
        const s32 y = 28 * row;
        env->addStaticText(L"", core::rect<s32>(22, 99 + y, 100, 117 + y), false, false, emitterTab,
                           emitterLabelId(row));
        if (row != 10 && row != 11) {
            env->addEditBox(L"", core::rect<s32>(100, 97 + y, 170, 117 + y), true, emitterTab, emitterEditId(row));
            continue;
        }
        // The start colour rows: a narrower box and its swatch.
        gui::IGUIEditBox* box =
            env->addEditBox(L"", core::rect<s32>(100, 97 + y, 151, 117 + y), true, emitterTab, emitterEditId(row));
        addColourSwatch(emitterTab, core::rect<s32>(153, 98 + y, 170, 116 + y), ids::EmitterFirstSwatch + row - 10,
                        box, [box](video::SColor colour) { enterColourIntoRow(box, colour); });
    }
    env->addButton(core::rect<s32>(100, 10, 170, 30), particleTab, ids::EmitterUpdate,
                   translate(L"action_update").c_str());
    fillEmitterTab(editor.selectedNode);
}

void fillEmitterTab(scene::ISceneNode* node) {
    if (!findElement(ids::ToolBoxWindow) || !node || node->getType() != scene::ESNT_PARTICLE_SYSTEM)
        return;
    scene::IParticleEmitter* emitter = static_cast<scene::IParticleSystemSceneNode*>(node)->getEmitter();
    if (!emitter)
        return;
    const s32 type = emitter->getType();
    gui::IGUIElement* combo = toolBoxElement(ids::EmitterTypeCombo);
    // An emitter type the combo does not list leaves its selection as it is.
    if (combo && combo->getType() == gui::EGUIET_COMBO_BOX && type >= 0 && type < scene::EPET_COUNT)
        static_cast<gui::IGUIComboBox*>(combo)->setSelected(type);
    showEmitterRows(type);
}

void showEmitterRows(s32 type) {
    if (!findElement(ids::ToolBoxWindow))
        return;
    const scene::IParticleEmitter* emitter = selectedEmitter();
    if (!emitter)
        return;
    switch (type) {
    case scene::EPET_POINT:
        // Rows 12 to 19 keep whatever they showed.
        showCommonRows(*emitter);
        break;
    case scene::EPET_BOX:
        showCommonRows(*emitter);
        hideRow(kRadiusRow);
        break;
    case scene::EPET_CYLINDER:
        showCommonRows(*emitter);
        showRadiusRow();
        showRow(kShapeRow, L"Lenght:", formatFloat(cylinderLength(*emitter)), kFloatTip);
        break;
    case scene::EPET_RING:
        showCommonRows(*emitter);
        showRadiusRow();
        showRow(kShapeRow, L"RingThickness:", formatFloat(ringThickness(*emitter)), kFloatTip);
        break;
    case scene::EPET_SPHERE:
        showCommonRows(*emitter);
        showRadiusRow();
        for (int row = kShapeRow; row < kEmitterRowCount; ++row)
            hideRow(row);
        break;
    default:
        // Mesh emitters and unknown types: nothing is changed.
        break;
    }
}

} // namespace sorn
