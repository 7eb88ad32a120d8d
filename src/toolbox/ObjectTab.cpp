#include "toolbox/ObjectTab.h"

#include <cmath>

#include "app/EditorState.h"
#include "app/TextConvert.h"
#include "app/Translate.h"
#include "scene/SelectedNodes.h"
#include "scene/NodeName.h"
#include "toolbox/NumberText.h"
#include "toolbox/ToolBoxRows.h"

using namespace irr;

namespace sorn {

namespace {

enum class Group { Position, Rotation, Scale };

// One group of three X/Y/Z rows. The groups share one layout, each 150 pixels
// below the previous one.
struct GroupRows {
    Group group;
    const wchar_t* headerKey;
    s32 top;
    const wchar_t* initialText;
    s32 edit[3];
    s32 minus[3];
    s32 plus[3];
    s32 apply;
};

const GroupRows kGroups[] = {
    {Group::Position, L"window_toolbox_edit_position", 0, L"1.0",
     {ids::PositionEditX, ids::PositionEditY, ids::PositionEditZ},
     {0x50048, 0x5004a, 0x5004c}, {0x50047, 0x50049, 0x5004b}, ids::ApplyPosition},
    {Group::Rotation, L"window_toolbox_edit_rotation", 150, L"0.0",
     {ids::RotationEditX, ids::RotationEditY, ids::RotationEditZ},
     {0x5004e, 0x50050, 0x50052}, {0x5004d, 0x5004f, 0x50051}, ids::ApplyRotation},
    {Group::Scale, L"window_toolbox_edit_scale", 300, L"0.0",
     {ids::ScaleEditX, ids::ScaleEditY, ids::ScaleEditZ},
     {0x50054, 0x50056, 0x50058}, {0x50053, 0x50055, 0x50057}, ids::ApplyScale},
};

const wchar_t* const kAxisLabels[3] = {L"X:", L"Y:", L"Z:"};

const GroupRows& rowsOf(Group group) {
    return kGroups[static_cast<int>(group)];
}

f32& component(core::vector3df& v, int axis) {
    return axis == 0 ? v.X : (axis == 1 ? v.Y : v.Z);
}

core::vector3df readVector(scene::ISceneNode* node, Group group) {
    switch (group) {
    case Group::Position:
        return node->getPosition();
    case Group::Rotation:
        return node->getRotation();
    case Group::Scale:
        break;
    }
    return node->getScale();
}

void writeVector(scene::ISceneNode* node, Group group, const core::vector3df& v) {
    switch (group) {
    case Group::Position:
        node->setPosition(v);
        return;
    case Group::Rotation:
        node->setRotation(v);
        return;
    case Group::Scale:
        node->setScale(v);
        return;
    }
}

// Shows the node's values in whichever of the group's rows its tab has (a
// light has no scale rows, a text node only position rows). Every node with
// rows gets its values, an empty node included: rows left at their start
// texts would apply a zero scale on Set.
void fillRows(Group group, scene::ISceneNode* node) {
    gui::IGUIElement* window = findElement(ids::ToolBoxWindow);
    if (!window || !node)
        return;
    core::vector3df v = readVector(node, group);
    const GroupRows& rows = rowsOf(group);
    for (int axis = 0; axis < 3; ++axis) {
        if (gui::IGUIElement* box = window->getElementFromId(rows.edit[axis], true))
            box->setText(formatFloat(component(v, axis)).c_str());
    }
}

void addRows(Group group) {
    gui::IGUIElement* tab = toolBoxElement(ids::ToolBoxFirstTab);
    if (!tab)
        return;
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    const GroupRows& rows = rowsOf(group);
    const s32 top = rows.top;
    env->addStaticText(translate(rows.headerKey).c_str(), core::rect<s32>(10, 10 + top, 60, 35 + top),
                       false, false, tab, -1);
    for (int axis = 0; axis < 3; ++axis) {
        const s32 y = top + 28 * axis;
        env->addStaticText(kAxisLabels[axis], core::rect<s32>(12, 38 + y, 30, 56 + y), false, false, tab, -1);
        env->addButton(core::rect<s32>(30, 36 + y, 50, 56 + y), tab, rows.minus[axis], L"<");
        env->addEditBox(rows.initialText, core::rect<s32>(50, 36 + y, 155, 56 + y), true, tab, rows.edit[axis]);
        env->addButton(core::rect<s32>(155, 36 + y, 175, 56 + y), tab, rows.plus[axis], L">");
    }
    env->addButton(core::rect<s32>(100, 124 + top, 175, 145 + top), tab, rows.apply,
                   translate(L"action_set").c_str());
    if (group == Group::Scale) {
        env->addButton(core::rect<s32>(110, 310, 140, 330), tab, ids::ScaleTimesTen, L"* 10");
        env->addButton(core::rect<s32>(145, 310, 175, 330), tab, ids::ScaleTimesTenth, L"* 0.1");
    }
    fillRows(group, editor.selectedNode);
}

// Writes the three boxes to the selected node. A box whose text reads as no
// finite number (or is missing) leaves its component as it was.
// Whether the tool box would show the group for a node of this kind (a
// light has no scale rows, a text node only position rows).
bool showsGroup(scene::ISceneNode* node, Group group) {
    switch (node->getType()) {
    case scene::ESNT_ANIMATED_MESH:
    case scene::ESNT_MESH:
    case scene::ESNT_EMPTY:
    case scene::ESNT_CUBE:
    case scene::ESNT_PARTICLE_SYSTEM:
    case scene::ESNT_SPHERE:
    case scene::ESNT_TERRAIN:
    case scene::ESNT_VOLUME_LIGHT:
        return true;
    case scene::ESNT_LIGHT:
        return group != Group::Scale;
    case scene::ESNT_TEXT:
        return group == Group::Position;
    default:
        return false;
    }
}

// The nodes the object tab's buttons act on: the primary (the one shown)
// and every other selected node that has the group's rows.
std::vector<scene::ISceneNode*> nodesToChange(Group group) {
    std::vector<scene::ISceneNode*> nodes;
    for (scene::ISceneNode* node : selectedNodes())
        if (node != editor.selectedNode && showsGroup(node, group))
            nodes.push_back(node);
    if (editor.selectedNode)
        nodes.push_back(editor.selectedNode);
    return nodes;
}

void applyRows(Group group) {
    scene::ISceneNode* node = editor.selectedNode;
    if (node) {
        const GroupRows& rows = rowsOf(group);
        bool given[3] = {false, false, false};
        f32 values[3] = {0.f, 0.f, 0.f};
        for (int axis = 0; axis < 3; ++axis) {
            gui::IGUIElement* box = toolBoxElement(rows.edit[axis]);
            given[axis] = box && parseFiniteNumber(box->getText(), values[axis]);
        }
        for (scene::ISceneNode* target : nodesToChange(group)) {
            core::vector3df v = readVector(target, group);
            for (int axis = 0; axis < 3; ++axis)
                if (given[axis])
                    component(v, axis) = values[axis];
            writeVector(target, group, v);
        }
    }
    fillRows(group, node);
}

void stepRow(Group group, int axis, f32 delta) {
    scene::ISceneNode* node = editor.selectedNode;
    if (!node)
        return;
    for (scene::ISceneNode* target : nodesToChange(group)) {
        core::vector3df v = readVector(target, group);
        const f32 stepped = component(v, axis) + delta;
        if (std::isfinite(stepped)) {
            component(v, axis) = stepped;
            writeVector(target, group, v);
        }
    }
    fillRows(group, node);
}

void multiplyScale(f32 factor) {
    scene::ISceneNode* node = editor.selectedNode;
    if (node) {
        for (scene::ISceneNode* target : nodesToChange(Group::Scale)) {
            core::vector3df scale = target->getScale();
            for (int axis = 0; axis < 3; ++axis) {
                // A component that would overflow to infinity keeps its value.
                const f32 product = component(scale, axis) * factor;
                if (std::isfinite(product))
                    component(scale, axis) = product;
            }
            target->setScale(scale);
        }
    }
    fillRows(Group::Scale, node);
}

} // namespace

void addPositionRows() { addRows(Group::Position); }
void addRotationRows() { addRows(Group::Rotation); }
void addScaleRows() { addRows(Group::Scale); }

void addFrameRateRow() {
    gui::IGUIElement* tab = toolBoxElement(ids::ToolBoxFirstTab);
    if (!tab)
        return;
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    env->addStaticText(L":", core::rect<s32>(20, 460, 170, 485), true, false, tab, -1);
    env->addStaticText(L"Framerate:", core::rect<s32>(22, 460, 85, 485), false, false, tab, -1);
    env->addStaticText(L"", core::rect<s32>(85, 460, 200, 485), false, false, tab, ids::FrameReadout);
    gui::IGUIScrollBar* speed =
        env->addScrollBar(true, core::rect<s32>(10, 485, 170, 500), tab, ids::AnimationSpeedScrollBar);
    speed->setMax(80);
    speed->setMin(-80);
    speed->setPos(30);
    speed->setSmallStep(1);
}

void addNameRow() {
    gui::IGUIElement* tab = toolBoxElement(ids::ToolBoxFirstTab);
    if (!tab || !editor.selectedNode)
        return;
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    env->addStaticText(translate(L"window_toolbox_edit_name").c_str(), core::rect<s32>(10, 510, 100, 530), false,
                       false, tab, -1);
    env->addEditBox(L"", core::rect<s32>(12, 532, 175, 552), true, tab, ids::NameEdit);
    env->addButton(core::rect<s32>(100, 560, 175, 581), tab, ids::ApplyName, translate(L"action_set").c_str());
    fillNameRow(editor.selectedNode);
}

void fillNameRow(scene::ISceneNode* node) {
    gui::IGUIElement* box = toolBoxElement(ids::NameEdit);
    if (box && node)
        box->setText(nodeNameText(node).c_str());
}

bool nameRowText(core::stringw& text) {
    gui::IGUIElement* box = toolBoxElement(ids::NameEdit);
    if (!box)
        return false;
    text = box->getText();
    return true;
}

void applyPositionRows() { applyRows(Group::Position); }
void applyRotationRows() { applyRows(Group::Rotation); }
void applyScaleRows() { applyRows(Group::Scale); }

void fillPositionRows(scene::ISceneNode* node) { fillRows(Group::Position, node); }
void fillRotationRows(scene::ISceneNode* node) { fillRows(Group::Rotation, node); }
void fillScaleRows(scene::ISceneNode* node) { fillRows(Group::Scale, node); }

bool handleObjectTabButton(s32 id) {
    if (id == ids::ScaleTimesTen) {
        multiplyScale(10.f);
        return true;
    }
    if (id == ids::ScaleTimesTenth) {
        multiplyScale(0.1f);
        return true;
    }
    for (const GroupRows& rows : kGroups) {
        if (id == rows.apply) {
            applyRows(rows.group);
            return true;
        }
        for (int axis = 0; axis < 3; ++axis) {
            if (id == rows.plus[axis] || id == rows.minus[axis]) {
                stepRow(rows.group, axis, id == rows.plus[axis] ? 1.f : -1.f);
                return true;
            }
        }
    }
    return false;
}

void onAnimationSpeedChanged(gui::IGUIScrollBar* scrollBar) {
    scene::ISceneNode* node = editor.selectedNode;
    if (!scrollBar || !node || node->getType() != scene::ESNT_ANIMATED_MESH)
        return;
    static_cast<scene::IAnimatedMeshSceneNode*>(node)->setAnimationSpeed(static_cast<f32>(scrollBar->getPos()));
}

} // namespace sorn
