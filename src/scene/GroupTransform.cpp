#include "scene/GroupTransform.h"

#include <cmath>
#include <unordered_map>

#include "scene/SelectedNodes.h"

using namespace irr;

namespace sorn {

namespace {

core::matrix4 parentWorld(scene::ISceneNode* node) {
    scene::ISceneNode* parent = node->getParent();
    return parent ? worldTransformationOf(parent) : core::matrix4();
}

// The rotations alone, from the node up to the root, so that a zero or odd
// scale on the way cannot turn the angles into nonsense.
core::matrix4 worldRotationOf(scene::ISceneNode* node) {
    core::matrix4 world;
    for (scene::ISceneNode* n = node; n; n = n->getParent()) {
        core::matrix4 rotation;
        rotation.setRotationDegrees(n->getRotation());
        world = rotation * world;
    }
    return world;
}

// Puts the node at a place given in the world, in its parent's space. A
// parent flattened to nothing leaves the place as it is.
void placeInWorld(scene::ISceneNode* node, const core::vector3df& worldPosition) {
    core::matrix4 inverse;
    if (!parentWorld(node).getInverse(inverse))
        return;
    core::vector3df local;
    inverse.transformVect(local, worldPosition);
    if (std::isfinite(local.X) && std::isfinite(local.Y) && std::isfinite(local.Z))
        node->setPosition(local);
}

bool finite(const core::vector3df& v) { return std::isfinite(v.X) && std::isfinite(v.Y) && std::isfinite(v.Z); }

} // namespace

void moveNodesBy(const std::vector<scene::ISceneNode*>& nodes, const core::vector3df& worldDelta) {
    // The distance in each parent's space, worked out once per parent (most
    // nodes share one): a drag of many nodes costs little more than of one.
    std::unordered_map<scene::ISceneNode*, core::vector3df> localDeltas;
    for (scene::ISceneNode* node : nodes) {
        auto known = localDeltas.find(node->getParent());
        if (known == localDeltas.end()) {
            core::matrix4 inverse;
            core::vector3df local;
            if (parentWorld(node).getInverse(inverse))
                inverse.rotateVect(local, worldDelta);
            if (!finite(local))
                local = core::vector3df();
            known = localDeltas.emplace(node->getParent(), local).first;
        }
        node->setPosition(node->getPosition() + known->second);
    }
}

void turnNodesAbout(const std::vector<scene::ISceneNode*>& nodes, const core::vector3df& centre, int axis,
                    f32 degrees) {
    core::vector3df angles;
    (axis == 0 ? angles.X : axis == 1 ? angles.Y : angles.Z) = degrees;
    core::matrix4 turn;
    turn.setRotationDegrees(angles);
    for (scene::ISceneNode* node : nodes) {
        core::vector3df offset = worldTransformationOf(node).getTranslation() - centre;
        turn.rotateVect(offset);
        const core::matrix4 newWorldRotation = turn * worldRotationOf(node);
        scene::ISceneNode* parent = node->getParent();
        const core::matrix4 parentRotation = parent ? worldRotationOf(parent) : core::matrix4();
        const core::vector3df local = (parentRotation.getTransposed() * newWorldRotation).getRotationDegrees();
        if (finite(local))
            node->setRotation(local);
        placeInWorld(node, centre + offset);
    }
}

void scaleNodesAbout(const std::vector<scene::ISceneNode*>& nodes, const core::vector3df& centre, f32 step) {
    for (scene::ISceneNode* node : nodes) {
        const core::vector3df before = node->getScale();
        const core::vector3df after = before + core::vector3df(step, step, step);
        const f32 size = (before.X + before.Y + before.Z) / 3.f;
        const f32 factor = size != 0.f ? (after.X + after.Y + after.Z) / 3.f / size : 1.f;
        node->setScale(after);
        const core::vector3df place = worldTransformationOf(node).getTranslation();
        if (std::isfinite(factor))
            placeInWorld(node, centre + (place - centre) * factor);
    }
}

} // namespace sorn
