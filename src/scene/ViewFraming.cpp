#include "scene/ViewFraming.h"

#include <cmath>

#include "scene/SelectedNodes.h"

using namespace irr;

namespace sorn {

namespace {

// The smallest sphere a framed selection gets: a light or an empty node is
// seen from a few units away, not from inside.
constexpr f32 kMinimumRadius = 5.f;

bool leftOut(scene::ISceneNode* node, bool onlyVisible) {
    switch (node->getType()) {
    case scene::ESNT_SKY_BOX:
    case scene::ESNT_SKY_DOME:
        return true;
    default:
        return node->isDebugObject() || (onlyVisible && !node->isVisible());
    }
}

bool hasNoSizeOfItsOwn(scene::ISceneNode* node) {
    switch (node->getType()) {
    case scene::ESNT_LIGHT:
    case scene::ESNT_CAMERA:
    case scene::ESNT_EMPTY:
    case scene::ESNT_DUMMY_TRANSFORMATION:
        return true;
    default: {
        const core::aabbox3df& own = node->getBoundingBox();
        return own.isEmpty() || !std::isfinite(own.MinEdge.X + own.MinEdge.Y + own.MinEdge.Z) ||
               !std::isfinite(own.MaxEdge.X + own.MaxEdge.Y + own.MaxEdge.Z);
    }
    }
}

bool finite(const core::vector3df& v) { return std::isfinite(v.X) && std::isfinite(v.Y) && std::isfinite(v.Z); }

} // namespace

bool worldBoxOf(const std::vector<scene::ISceneNode*>& nodes, bool onlyVisible, core::aabbox3df& box) {
    bool found = false;
    auto add = [&](const core::vector3df& point) {
        if (!finite(point))
            return;
        if (found)
            box.addInternalPoint(point);
        else
            box.reset(point);
        found = true;
    };
    // An explicit stack: scenes can nest deeper than the call stack allows.
    std::vector<scene::ISceneNode*> pending(nodes.rbegin(), nodes.rend());
    while (!pending.empty()) {
        scene::ISceneNode* node = pending.back();
        pending.pop_back();
        if (!node || leftOut(node, onlyVisible))
            continue;
        const core::matrix4 world = worldTransformationOf(node);
        if (hasNoSizeOfItsOwn(node)) {
            add(world.getTranslation());
        } else {
            core::vector3df corners[8];
            node->getBoundingBox().getEdges(corners);
            for (core::vector3df& corner : corners) {
                world.transformVect(corner);
                add(corner);
            }
        }
        for (scene::ISceneNode* child : node->getChildren())
            pending.push_back(child);
    }
    return found;
}

std::vector<scene::ISceneNode*> userTopLevelNodes(scene::ISceneManager* sceneManager) {
    std::vector<scene::ISceneNode*> nodes;
    if (!sceneManager)
        return nodes;
    for (scene::ISceneNode* child : sceneManager->getRootSceneNode()->getChildren())
        if (!child->isDebugObject())
            nodes.push_back(child);
    return nodes;
}

f32 framingDistance(const core::aabbox3df& box, f32 fovY, f32 aspect) {
    const f32 radius = std::fmax(box.getExtent().getLength() * 0.5f, kMinimumRadius);
    if (!(fovY > 0.f) || !(fovY < core::PI))
        fovY = core::PI / 2.5f;
    if (!(aspect > 0.f) || !std::isfinite(aspect))
        aspect = 1.f;
    // The narrower of the two angles decides: a tall window is narrow across.
    const f32 fovX = 2.f * std::atan(std::tan(fovY * 0.5f) * aspect);
    const f32 half = std::fmin(fovY, fovX) * 0.5f;
    return radius / std::sin(half);
}

} // namespace sorn
