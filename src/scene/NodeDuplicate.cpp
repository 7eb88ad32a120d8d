#include "scene/NodeDuplicate.h"

#include <map>
#include <utility>
#include <vector>

#include "app/EditorState.h"
#include "scene/ParticleValues.h"
#include "scene/TextNodeData.h"
#include "scene/AnimationPlayback.h"
#include "scene/NodeUserData.h"
#include "scene/WaterSurfaceMesh.h"

using namespace irr;

namespace sorn {

namespace {

// What the engine's clone makes of a node of one kind: a copy of the same
// kind, nothing (the node and everything under it left out of the copy), or
// a node of another kind (a water surface comes out as a plain mesh node).
enum class CloneResult { SameKind, Nothing, OtherKind };

// Learnt once per kind and run, by cloning one node of the kind alone.
std::map<scene::ESCENE_NODE_TYPE, CloneResult>& cloneResults() {
    static std::map<scene::ESCENE_NODE_TYPE, CloneResult> results;
    return results;
}

// A subtree holds a few kinds, mostly met in runs of one: the kind last
// looked up is kept beside the map, so most nodes of a large copy cost no
// search of it.
struct LastKnownKind {
    bool known = false;
    scene::ESCENE_NODE_TYPE type = scene::ESNT_UNKNOWN;
    CloneResult result = CloneResult::Nothing;
};
LastKnownKind lastKnownKind;

// A node the engine cannot clone, made by its type name through the scene
// manager's factories (the editor's text node factory among them).
scene::ISceneNode* remake(scene::ISceneNode* original, scene::ISceneNode* parent) {
    scene::ISceneManager* smgr = editor.sceneManager;
    const c8* typeName = smgr->getSceneNodeTypeName(original->getType());
    scene::ISceneNode* copy = typeName ? smgr->addSceneNode(typeName, parent) : nullptr;
    if (!copy)
        return nullptr;
    // Name, transformation and the values of its kind (a particle system's
    // emitter and affectors) go through the engine's attributes.
    io::IAttributes* attributes = smgr->getFileSystem()->createEmptyAttributes(smgr->getVideoDriver());
    original->serializeAttributes(attributes);
    copy->deserializeAttributes(attributes);
    // A water surface read that way animates a copy of its mesh the cache
    // does not know, and would be saved without one.
    keepWaterSurfaceMesh(smgr, copy, attributes->getAttributeAsString("Mesh"));
    attributes->drop();
    // The engine's attributes clamp the emitter's rates and direction and
    // lose the affectors: those are handed over directly.
    if (original->getType() == scene::ESNT_PARTICLE_SYSTEM)
        copyParticleValues(static_cast<scene::IParticleSystemSceneNode*>(original),
                           static_cast<scene::IParticleSystemSceneNode*>(copy));
    for (u32 i = 0; i < copy->getMaterialCount() && i < original->getMaterialCount(); ++i)
        copy->getMaterial(i) = original->getMaterial(i);
    if (original->getType() == scene::ESNT_TEXT)
        if (const TextNodeRecord* record = findTextNodeData(original))
            setTextNodeData(static_cast<scene::ITextSceneNode*>(copy), record->text.c_str(), record->colour);
    for (scene::ISceneNodeAnimator* animator : original->getAnimators())
        if (scene::ISceneNodeAnimator* cloned = animator->createClone(copy, smgr)) {
            copy->addAnimator(cloned);
            cloned->drop();
        }
    return copy;
}

// The engine's clone of the node alone: its children are taken off for the
// clone and put back in their order.
scene::ISceneNode* cloneWithoutChildren(scene::ISceneNode* original, scene::ISceneNode* parent) {
    std::vector<scene::ISceneNode*> children;
    for (scene::ISceneNode* child : original->getChildren()) {
        child->grab();
        children.push_back(child);
    }
    original->removeAll();
    scene::ISceneNode* copy = original->clone(parent, editor.sceneManager);
    for (scene::ISceneNode* child : children) {
        original->addChild(child);
        child->drop();
    }
    return copy;
}

// Learns what the engine's clone makes of every kind met under the node
// (itself included) that has not been tried yet in this run.
void learnCloneResults(scene::ISceneNode* top) {
    std::vector<scene::ISceneNode*> pending{top};
    while (!pending.empty()) {
        scene::ISceneNode* node = pending.back();
        pending.pop_back();
        for (scene::ISceneNode* child : node->getChildren())
            pending.push_back(child);
        const scene::ESCENE_NODE_TYPE type = node->getType();
        if ((lastKnownKind.known && lastKnownKind.type == type) || cloneResults().count(type) ||
            !node->getParent())
            continue;
        scene::ISceneNode* trial = cloneWithoutChildren(node, node->getParent());
        CloneResult result = CloneResult::Nothing;
        if (trial) {
            result = trial->getType() == type ? CloneResult::SameKind : CloneResult::OtherKind;
            trial->remove();
        }
        cloneResults()[type] = result;
    }
}

CloneResult cloneResultOf(scene::ISceneNode* node) {
    const scene::ESCENE_NODE_TYPE type = node->getType();
    if (lastKnownKind.known && lastKnownKind.type == type)
        return lastKnownKind.result;
    auto found = cloneResults().find(type);
    if (found == cloneResults().end())
        return CloneResult::Nothing;
    lastKnownKind = {true, type, found->second};
    return found->second;
}

// Gives the copy the parent's children in the given order (only called when
// a node made afresh was appended behind the engine's clones).
void orderChildren(scene::ISceneNode* parent, const std::vector<scene::ISceneNode*>& order) {
    for (scene::ISceneNode* child : order) {
        child->grab();
        parent->removeChild(child);
    }
    for (scene::ISceneNode* child : order) {
        parent->addChild(child);
        child->drop();
    }
}

scene::ISceneNode* copySubtree(scene::ISceneNode* original, scene::ISceneNode* parent);

// The copy of a node of a kind the engine does not clone as itself: made
// afresh, and each of its children copied under it.
scene::ISceneNode* remakeSubtree(scene::ISceneNode* original, scene::ISceneNode* parent) {
    scene::ISceneNode* copy = remake(original, parent);
    if (!copy)
        return nullptr;
    copyNodeUserData(original, copy);
    holdAnimatorCopies(original, copy);
    for (scene::ISceneNode* child : original->getChildren())
        copySubtree(child, copy);
    return copy;
}

// Walks the original and the engine's copy side by side: gives every copy
// what the engine's clone leaves out (node data kept beside the engine's,
// animators held aside) and puts in, at their places, copies of the nodes
// it left out or made as another kind. False when the copy does not match
// the original as the kinds' clone results say (the caller then starts over
// node by node).
bool completeCopy(scene::ISceneNode* original, scene::ISceneNode* copy) {
    std::vector<std::pair<scene::ISceneNode*, scene::ISceneNode*>> pending{{original, copy}};
    std::vector<scene::ISceneNode*> cloned, order;
    while (!pending.empty()) {
        const auto [from, to] = pending.back();
        pending.pop_back();
        copyNodeUserData(from, to);
        holdAnimatorCopies(from, to);
        cloned.clear();
        for (scene::ISceneNode* child : to->getChildren())
            cloned.push_back(child);
        order.clear();
        std::size_t next = 0;
        bool madeAfresh = false;
        for (scene::ISceneNode* child : from->getChildren()) {
            const CloneResult result = cloneResultOf(child);
            scene::ISceneNode* counterpart = nullptr;
            if (result != CloneResult::Nothing) {
                if (next >= cloned.size())
                    return false;
                counterpart = cloned[next++];
                const bool sameKind = counterpart->getType() == child->getType();
                if (sameKind != (result == CloneResult::SameKind))
                    return false;
                if (sameKind) {
                    order.push_back(counterpart);
                    pending.emplace_back(child, counterpart);
                    continue;
                }
                counterpart->remove();
            }
            madeAfresh = true;
            if (scene::ISceneNode* made = remakeSubtree(child, to))
                order.push_back(made);
        }
        if (next != cloned.size())
            return false;
        if (madeAfresh)
            orderChildren(to, order);
    }
    return true;
}

// The copy of a node with everything under it, under the given parent: one
// call of the engine's clone for the whole subtree, then only the nodes it
// does not copy as themselves are made afresh.
scene::ISceneNode* copySubtree(scene::ISceneNode* original, scene::ISceneNode* parent) {
    learnCloneResults(original);
    if (cloneResultOf(original) != CloneResult::SameKind)
        return remakeSubtree(original, parent);
    scene::ISceneNode* copy = original->clone(parent, editor.sceneManager);
    if (copy && copy->getType() == original->getType() && completeCopy(original, copy))
        return copy;
    // A node that did not clone as its kind does: the copy so far goes and
    // the subtree is copied one node at a time.
    if (copy)
        copy->remove();
    copy = cloneWithoutChildren(original, parent);
    if (copy && copy->getType() != original->getType()) {
        copy->remove();
        copy = nullptr;
    }
    if (!copy)
        return remakeSubtree(original, parent);
    copyNodeUserData(original, copy);
    holdAnimatorCopies(original, copy);
    for (scene::ISceneNode* child : original->getChildren())
        copySubtree(child, copy);
    return copy;
}

} // namespace

scene::ISceneNode* duplicateNodeTree(scene::ISceneNode* node) {
    if (!node || !node->getParent() || !editor.sceneManager)
        return nullptr;
    return copySubtree(node, node->getParent());
}

} // namespace sorn
