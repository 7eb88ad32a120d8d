#include "scene/Reparent.h"

#include <algorithm>

#include "app/EngineRef.h"
#include "scene/UndoHistory.h"

using namespace irr;

namespace sorn {

namespace {

struct Transform {
    core::vector3df position, rotation, scale;

    static Transform of(scene::ISceneNode* node) {
        return {node->getPosition(), node->getRotation(), node->getScale()};
    }
    void applyTo(scene::ISceneNode* node) const {
        node->setPosition(position);
        node->setRotation(rotation);
        node->setScale(scale);
    }
};

struct Move {
    EngineRef<scene::ISceneNode> node, from, to;
    u32 fromIndex = 0;
    Transform before, after;
};

class ReparentStep : public UndoStep {
public:
    explicit ReparentStep(std::vector<Move> moves) : moves_(std::move(moves)) {}
    // Newest first, each back at its place among its old siblings.
    void undo() override {
        for (auto it = moves_.rbegin(); it != moves_.rend(); ++it) {
            scene::ISceneNode* node = it->node.get();
            detachNode(node);
            attachNode(node, it->from.get(), it->fromIndex);
            it->before.applyTo(node);
        }
    }
    // In the first order, each appended as the move did.
    void redo() override {
        for (Move& move : moves_) {
            move.node->setParent(move.to.get());
            move.after.applyTo(move.node.get());
        }
    }
    std::size_t memoryCost() const override { return sizeof(*this) + moves_.size() * sizeof(Move); }
    scene::ISceneNode* node() const override { return moves_.front().node.get(); }
    ChangeKind kind() const override { return ChangeKind::Reparent; }

private:
    std::vector<Move> moves_;
};

bool isAncestorOf(scene::ISceneNode* ancestor, scene::ISceneNode* node) {
    for (scene::ISceneNode* n = node ? node->getParent() : nullptr; n; n = n->getParent())
        if (n == ancestor)
            return true;
    return false;
}

scene::ISceneNode* topOf(scene::ISceneNode* node) {
    while (node && node->getParent())
        node = node->getParent();
    return node;
}

u32 indexAmongSiblings(scene::ISceneNode* node) {
    u32 index = 0;
    for (scene::ISceneNode* sibling : node->getParent()->getChildren()) {
        if (sibling == node)
            break;
        ++index;
    }
    return index;
}

// The relative transformation that puts the node at `world` under `parent`.
bool relativeTransformFor(const core::matrix4& world, scene::ISceneNode* parent, Transform& out) {
    core::matrix4 inverse;
    if (!worldTransformOf(parent).getInverse(inverse))
        return false;
    const core::matrix4 local = inverse * world;
    out.position = local.getTranslation();
    out.scale = local.getScale();
    out.rotation = local.getRotationDegrees();
    return true;
}

} // namespace

core::matrix4 worldTransformOf(scene::ISceneNode* node) {
    core::matrix4 world;
    for (scene::ISceneNode* n = node; n; n = n->getParent())
        world = n->getRelativeTransformation() * world;
    return world;
}

bool canReparent(scene::ISceneNode* node, scene::ISceneNode* newParent) {
    if (!node || !newParent || node == newParent || !node->getParent())
        return false;
    if (node->getParent() == newParent || isAncestorOf(node, newParent))
        return false;
    return topOf(node) == topOf(newParent);
}

std::unique_ptr<UndoStep> reparentNodes(const std::vector<scene::ISceneNode*>& nodes, scene::ISceneNode* newParent) {
    // Decided before anything moves: a node under another one that moves goes
    // with it, and a node named twice moves once.
    std::vector<scene::ISceneNode*> eligible;
    for (scene::ISceneNode* node : nodes)
        if (canReparent(node, newParent) && std::find(eligible.begin(), eligible.end(), node) == eligible.end())
            eligible.push_back(node);
    std::vector<scene::ISceneNode*> tops;
    for (scene::ISceneNode* node : eligible) {
        const bool carried = std::any_of(eligible.begin(), eligible.end(),
                                         [&](scene::ISceneNode* other) { return isAncestorOf(other, node); });
        if (!carried)
            tops.push_back(node);
    }
    std::vector<Move> moves;
    for (scene::ISceneNode* node : tops) {
        Move move;
        move.node = EngineRef<scene::ISceneNode>(node);
        move.from = EngineRef<scene::ISceneNode>(node->getParent());
        move.to = EngineRef<scene::ISceneNode>(newParent);
        move.fromIndex = indexAmongSiblings(node);
        move.before = Transform::of(node);
        if (!relativeTransformFor(worldTransformOf(node), newParent, move.after))
            continue;
        node->setParent(newParent);
        move.after.applyTo(node);
        // What the node now holds, float for float, is what a redo gives back.
        move.after = Transform::of(node);
        moves.push_back(std::move(move));
    }
    if (moves.empty())
        return nullptr;
    return std::make_unique<ReparentStep>(std::move(moves));
}

} // namespace sorn
