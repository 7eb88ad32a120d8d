#include "scene/AnimationPlayback.h"

#include <unordered_map>
#include <utility>
#include <vector>

#include "app/EditorState.h"
#include "app/EngineRef.h"
#include "app/MenuBar.h"
#include "scene/AnimatorEditing.h"
#include "scene/NodeState.h"
#include "scene/UserNodes.h"

using namespace irr;

namespace sorn {

namespace {

// The running copies of one node's animators, on the node as its only
// animator while the animation plays. Before each animation step it counts
// what changed since the last one (a user edit) into the authored state.
class PlayedAnimators : public scene::ISceneNodeAnimator {
public:
    PlayedAnimators(std::vector<EngineRef<scene::ISceneNodeAnimator>> running, const NodeState& authored,
                    const NodeState& shown)
        : running_(std::move(running)), authored_(authored), shown_(shown) {}

    void animateNode(scene::ISceneNode* node, u32 timeMs) override {
        catchUp(node);
        for (const auto& animator : running_)
            animator->animateNode(node, timeMs);
        shown_ = NodeState::of(node);
    }

    // Copies of a node get theirs from the held animators, never from these.
    scene::ISceneNodeAnimator* createClone(scene::ISceneNode*, scene::ISceneManager*) override { return nullptr; }

    // Counts a change made since the last animation step into the authored state.
    void catchUp(scene::ISceneNode* node) {
        NodeState now = NodeState::of(node);
        if (now == shown_)
            return;
        authored_ = authored_.carriedOver(shown_, now);
        shown_ = now;
    }

    const NodeState& authored() const { return authored_; }
    const NodeState& shown() const { return shown_; }
    void setStates(const NodeState& authored, const NodeState& shown) {
        authored_ = authored;
        shown_ = shown;
    }

private:
    std::vector<EngineRef<scene::ISceneNodeAnimator>> running_;
    NodeState authored_; // the state the user made
    NodeState shown_;    // the node's state after the last step
};

// One user node and its animators, held aside. The node is the table's key:
// held here, so no node made later at its address can take the entry over.
struct HeldAnimators {
    EngineRef<scene::ISceneNode> node;
    std::vector<EngineRef<scene::ISceneNodeAnimator>> animators;
    EngineRef<PlayedAnimators> played; // while playing, when one of them runs
};

std::unordered_map<scene::ISceneNode*, HeldAnimators> held; // each node held once
bool playing = false;

HeldAnimators* heldFor(scene::ISceneNode* node) {
    auto found = held.find(node);
    return found == held.end() ? nullptr : &found->second;
}

// A running copy whose clock starts now: made by the engine's factory from the
// held animator's attributes (a clone would keep the held one's clock). None
// for a deletion animator: pressing Play must never cost the user a node; none
// for one whose values would crash the engine (see animatorSafeToRun).
EngineRef<scene::ISceneNodeAnimator> runningCopy(scene::ISceneNodeAnimator* animator, scene::ISceneNode* node) {
    scene::ISceneManager* smgr = editor.sceneManager;
    const scene::ESCENE_NODE_ANIMATOR_TYPE type = animator->getType();
    if (type == scene::ESNAT_DELETION || !animatorSafeToRun(animator))
        return {};
    // The collision world is not one of the attributes.
    const bool hasWorld = type == scene::ESNAT_COLLISION_RESPONSE &&
                          static_cast<scene::ISceneNodeAnimatorCollisionResponse*>(animator)->getWorld();
    const c8* typeName = hasWorld ? nullptr : smgr->getAnimatorTypeName(type);
    auto copy = EngineRef<scene::ISceneNodeAnimator>::adopt(
        typeName ? smgr->createSceneNodeAnimator(typeName, nullptr) : nullptr);
    if (copy && copy->getType() == type) {
        auto attributes =
            EngineRef<io::IAttributes>::adopt(smgr->getFileSystem()->createEmptyAttributes(smgr->getVideoDriver()));
        animator->serializeAttributes(attributes.get());
        copy->deserializeAttributes(attributes.get());
        return copy;
    }
    return EngineRef<scene::ISceneNodeAnimator>::adopt(animator->createClone(node, smgr));
}

void startPlaying(scene::ISceneNode* node, HeldAnimators& entry, const NodeState& authored) {
    std::vector<EngineRef<scene::ISceneNodeAnimator>> running;
    for (const auto& animator : entry.animators)
        if (auto copy = runningCopy(animator.get(), node))
            running.push_back(std::move(copy));
    if (running.empty())
        return;
    entry.played = EngineRef<PlayedAnimators>::adopt(
        new PlayedAnimators(std::move(running), authored, NodeState::of(node)));
    node->addAnimator(entry.played.get());
}

void stopPlaying(scene::ISceneNode* node, HeldAnimators& entry) {
    if (!entry.played)
        return;
    entry.played->catchUp(node);
    node->removeAnimator(entry.played.get());
    entry.played->authored().showOn(node);
    entry.played.reset();
}

// Takes the running copies off the node before the entry goes; the entry's
// end then drops the animators and the node.
void release(scene::ISceneNode* node, HeldAnimators& entry) {
    if (entry.played)
        node->removeAnimator(entry.played.get());
}

// Nodes that nothing but this table holds any more (deleted, and their undo
// step gone) are let go.
void dropUnreachable() {
    for (auto it = held.begin(); it != held.end();) {
        if (it->first->getReferenceCount() > 1) {
            ++it;
            continue;
        }
        release(it->first, it->second);
        it = held.erase(it);
    }
}

void takeAside(scene::ISceneNode* node) {
    const scene::ISceneNodeAnimatorList& animators = node->getAnimators();
    if (animators.empty())
        return;
    auto [entry, added] = held.try_emplace(node);
    if (added)
        entry->second.node = EngineRef<scene::ISceneNode>(node);
    for (scene::ISceneNodeAnimator* animator : animators)
        entry->second.animators.emplace_back(animator);
    node->removeAnimators();
}

} // namespace

void holdSceneAnimators() {
    stopAnimation();
    dropUnreachable();
    forEachUserNode(editor.sceneManager, takeAside);
}

bool animationPlaying() { return playing; }

void playAnimation() {
    if (playing)
        return;
    dropUnreachable();
    playing = true;
    for (auto& [node, entry] : held)
        startPlaying(node, entry, NodeState::of(node));
    showAnimationPlaying(true);
}

void stopAnimation() {
    if (!playing)
        return;
    playing = false;
    for (auto& [node, entry] : held)
        stopPlaying(node, entry);
    dropUnreachable();
    showAnimationPlaying(false);
}

void forgetHeldAnimators() {
    for (auto& [node, entry] : held)
        release(node, entry);
    held.clear();
    if (playing) {
        playing = false;
        showAnimationPlaying(false);
    }
}

void holdAnimatorCopies(scene::ISceneNode* original, scene::ISceneNode* copy) {
    HeldAnimators* source = heldFor(original);
    if (!source || !copy || heldFor(copy) || !editor.sceneManager)
        return;
    HeldAnimators entry;
    for (const auto& animator : source->animators)
        if (auto cloned = EngineRef<scene::ISceneNodeAnimator>::adopt(animator->createClone(copy, editor.sceneManager)))
            entry.animators.push_back(std::move(cloned));
    if (entry.animators.empty())
        return;
    entry.node = EngineRef<scene::ISceneNode>(copy);
    HeldAnimators& added = held[copy] = std::move(entry);
    if (!playing)
        return;
    // The copy shows what the original shows; its authored state is the original's.
    NodeState authored = NodeState::of(copy);
    if (source->played) {
        source->played->catchUp(original);
        authored = source->played->authored().carriedOver(NodeState::of(original), authored);
    }
    startPlaying(copy, added, authored);
}

u32 heldAnimatorCount(scene::ISceneNode* node) {
    const HeldAnimators* entry = heldFor(node);
    return entry ? static_cast<u32>(entry->animators.size()) : 0;
}

scene::ISceneNodeAnimator* heldAnimator(scene::ISceneNode* node, u32 index) {
    const HeldAnimators* entry = heldFor(node);
    return entry && index < entry->animators.size() ? entry->animators[index].get() : nullptr;
}

void setHeldAnimators(scene::ISceneNode* node, const std::vector<EngineRef<scene::ISceneNodeAnimator>>& animators) {
    if (!node || node->isDebugObject())
        return;
    HeldAnimators* entry = heldFor(node);
    if (entry)
        stopPlaying(node, *entry); // the node shows its authored state again
    if (animators.empty()) {
        if (entry)
            held.erase(node);
        return;
    }
    if (!entry) {
        entry = &held[node];
        entry->node = EngineRef<scene::ISceneNode>(node);
    }
    entry->animators = animators;
    if (playing)
        startPlaying(node, *entry, NodeState::of(node));
}

NodeState authoredStateOf(scene::ISceneNode* node) {
    HeldAnimators* entry = node ? heldFor(node) : nullptr;
    if (!entry || !entry->played)
        return NodeState::of(node);
    entry->played->catchUp(node);
    return entry->played->authored();
}

bool applyAuthoredStateWhilePlaying(scene::ISceneNode* node, const NodeState& authored) {
    HeldAnimators* entry = heldFor(node);
    if (!entry || !entry->played)
        return false;
    PlayedAnimators& played = *entry->played;
    played.catchUp(node);
    // What the animation added to the old authored state stays added.
    NodeState::of(node).carriedOver(played.authored(), authored).showOn(node);
    played.setStates(authored, NodeState::of(node));
    return true;
}

AuthoredSceneForSave::AuthoredSceneForSave() {
    for (auto& [node, entry] : held) {
        if (entry.played) {
            entry.played->catchUp(node);
            node->removeAnimator(entry.played.get());
            entry.played->authored().showOn(node);
        }
        for (const auto& animator : entry.animators)
            node->addAnimator(animator.get());
    }
}

AuthoredSceneForSave::~AuthoredSceneForSave() {
    for (auto& [node, entry] : held) {
        for (const auto& animator : entry.animators)
            node->removeAnimator(animator.get());
        if (entry.played) {
            entry.played->shown().showOn(node);
            node->addAnimator(entry.played.get());
        }
    }
}

} // namespace sorn
