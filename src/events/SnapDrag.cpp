#include "events/SnapDrag.h"

#include <cmath>

#include "app/EditorState.h"
#include "app/SnapSettings.h"
#include "scene/GroupTransform.h"
#include "scene/SelectedNodes.h"

using namespace irr;

namespace sorn {

namespace {

enum class Family { None, Move, Turn, Scale };

struct ModeInfo {
    Family family;
    int axis; // 0 X, 1 Y, 2 Z
};

ModeInfo modeInfo(s32 mode) {
    switch (mode) {
    case ids::ModeMoveX: return {Family::Move, 0};
    case ids::ModeMoveY: return {Family::Move, 1};
    case ids::ModeMoveZ: return {Family::Move, 2};
    case ids::ModeRotate:
    case ids::ModeRotateY: return {Family::Turn, 1};
    case ids::ModeRotateX: return {Family::Turn, 0};
    case ids::ModeRotateZ: return {Family::Turn, 2};
    case ids::ModeScale: return {Family::Scale, 0};
    default: return {Family::None, 0};
    }
}

f32& component(core::vector3df& v, int axis) { return axis == 0 ? v.X : axis == 1 ? v.Y : v.Z; }

// Where the drag started and how far the pointer has carried it so far.
struct SnappedDrag {
    bool started = false;
    s32 mode = ids::ModeNone;
    std::vector<scene::ISceneNode*> nodes;
    core::vector3df base;  // the primary's (or the one node's) value at the start
    f32 travelled = 0.f;   // the unsnapped distance, in the mode's unit
    f32 applied = 0.f;     // what a group has been moved, turned or scaled by
};

SnappedDrag drag;

// The pointer's step in the mode's unit, as the unsnapped drag uses it.
f32 pointerStep(Family family) {
    if (family == Family::Move)
        return static_cast<f32>(editor.moveSensitivity / 100);
    return static_cast<f32>(editor.moveSensitivity) / 100.f;
}

f32 snapStep(Family family) {
    switch (family) {
    case Family::Move: return snapPositionStep();
    case Family::Turn: return editor.snapRotation;
    default: return editor.snapScale;
    }
}

// Less than half a step from the start: the start; further: the multiple of
// the step nearest to where the pointer has carried the value.
f32 snappedTarget(f32 start, f32 step) {
    if (std::fabs(drag.travelled) < step * 0.5f)
        return start;
    return roundToStep(start + drag.travelled, step);
}

core::vector3df valueOf(scene::ISceneNode* node, Family family, bool world) {
    switch (family) {
    case Family::Move: return world ? worldTransformationOf(node).getTranslation() : node->getPosition();
    case Family::Turn: return node->getRotation();
    default: return node->getScale();
    }
}

bool dragOneNode(scene::ISceneNode* node, const ModeInfo& info, f32 step) {
    core::vector3df value = valueOf(node, info.family, false);
    const core::vector3df before = value;
    if (info.family == Family::Scale) {
        for (int axis = 0; axis < 3; ++axis)
            component(value, axis) = snappedTarget(component(drag.base, axis), step);
    } else {
        component(value, info.axis) = snappedTarget(component(drag.base, info.axis), step);
    }
    if (value == before)
        return false;
    if (info.family == Family::Move)
        node->setPosition(value);
    else if (info.family == Family::Turn)
        node->setRotation(value);
    else
        node->setScale(value);
    return true;
}

bool dragGroup(const std::vector<scene::ISceneNode*>& group, const ModeInfo& info, f32 step) {
    const f32 wanted = snappedTarget(component(drag.base, info.axis), step) - component(drag.base, info.axis);
    const f32 by = wanted - drag.applied;
    if (by == 0.f)
        return false;
    drag.applied = wanted;
    switch (info.family) {
    case Family::Move: {
        core::vector3df delta;
        component(delta, info.axis) = by;
        moveNodesBy(group, delta);
        break;
    }
    case Family::Turn: turnNodesAbout(group, selectionCentre(), info.axis, by); break;
    default: scaleNodesAbout(group, selectionCentre(), by); break;
    }
    return true;
}

// The group member that carries the primary (it or one of its ancestors).
scene::ISceneNode* referenceOf(const std::vector<scene::ISceneNode*>& group, scene::ISceneNode* primary) {
    for (scene::ISceneNode* n = primary; n; n = n->getParent())
        for (scene::ISceneNode* member : group)
            if (member == n)
                return member;
    return group.back();
}

} // namespace

void startSnappedDrag() { drag = SnappedDrag(); }

bool dragSnapped(const std::vector<scene::ISceneNode*>& group, scene::ISceneNode* primary, int steps) {
    const ModeInfo info = modeInfo(editor.editMode);
    if (info.family == Family::None || group.empty() || !primary)
        return false;
    const bool oneNode = group.size() == 1 && group.front() == primary;
    // Another mode or other nodes since the drag began: start afresh from here.
    if (!drag.started || drag.mode != editor.editMode || drag.nodes != group) {
        drag = SnappedDrag();
        drag.started = true;
        drag.mode = editor.editMode;
        drag.nodes = group;
        drag.base = valueOf(oneNode ? primary : referenceOf(group, primary), info.family, !oneNode);
    }
    drag.travelled += static_cast<f32>(steps) * pointerStep(info.family);
    const f32 step = snapStep(info.family);
    return oneNode ? dragOneNode(primary, info, step) : dragGroup(group, info, step);
}

} // namespace sorn
