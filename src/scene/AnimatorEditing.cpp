#include "scene/AnimatorEditing.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "app/EditorState.h"
#include "app/EngineRef.h"
#include "scene/AnimationPlayback.h"
#include "scene/UndoHistory.h"

using namespace irr;

namespace sorn {

namespace {

using AnimatorList = std::vector<EngineRef<scene::ISceneNodeAnimator>>;

const scene::ESCENE_NODE_ANIMATOR_TYPE kKindTypes[kAnimatorKindCount] = {
    scene::ESNAT_ROTATION,      scene::ESNAT_FLY_CIRCLE, scene::ESNAT_FLY_STRAIGHT,
    scene::ESNAT_FOLLOW_SPLINE, scene::ESNAT_TEXTURE,    scene::ESNAT_DELETION,
};

AnimatorList heldList(scene::ISceneNode* node) {
    AnimatorList list;
    for (u32 i = 0; i < heldAnimatorCount(node); ++i)
        list.emplace_back(heldAnimator(node, i));
    return list;
}

bool editable(scene::ISceneNode* node) { return node && !node->isDebugObject() && editor.sceneManager; }

// Edits made while the animation plays change what the user authored: the
// animation stops for the edit (every node back at its authored state) and
// plays again afterwards.
class PlaybackPaused {
public:
    PlaybackPaused() : wasPlaying_(animationPlaying()) { stopAnimation(); }
    ~PlaybackPaused() {
        if (wasPlaying_)
            playAnimation();
    }
    PlaybackPaused(const PlaybackPaused&) = delete;
    PlaybackPaused& operator=(const PlaybackPaused&) = delete;

private:
    bool wasPlaying_;
};

// One edit of a node's animator list: the lists before and after it, held.
class AnimatorListStep : public UndoStep {
public:
    AnimatorListStep(scene::ISceneNode* node, AnimatorList before, AnimatorList after)
        : node_(node), before_(std::move(before)), after_(std::move(after)) {}

    void undo() override { restore(before_); }
    void redo() override { restore(after_); }
    std::size_t memoryCost() const override {
        // An animator's own size is unknown here; a few hundred bytes each.
        return sizeof(*this) + 256 * (before_.size() + after_.size());
    }
    scene::ISceneNode* node() const override { return node_.get(); }
    ChangeKind kind() const override { return ChangeKind::Animator; }

private:
    void restore(const AnimatorList& list) {
        PlaybackPaused paused;
        setHeldAnimators(node_.get(), list);
    }

    EngineRef<scene::ISceneNode> node_;
    AnimatorList before_, after_;
};

AnimatorEdit madeEdit(scene::ISceneNode* node, AnimatorList before, const AnimatorList& after) {
    setHeldAnimators(node, after);
    AnimatorEdit edit;
    edit.step = std::make_unique<AnimatorListStep>(node, std::move(before), after);
    return edit;
}

AnimatorEdit refused(AnimatorRefusal why) {
    AnimatorEdit edit;
    edit.refusal = why;
    return edit;
}

EngineRef<io::IAttributes> emptyAttributes() {
    return EngineRef<io::IAttributes>::adopt(
        editor.sceneManager->getFileSystem()->createEmptyAttributes(editor.sceneManager->getVideoDriver()));
}

EngineRef<io::IAttributes> attributesOf(scene::ISceneNodeAnimator* animator) {
    EngineRef<io::IAttributes> attributes = emptyAttributes();
    animator->serializeAttributes(attributes.get());
    return attributes;
}

bool sameAttributes(io::IAttributes* a, io::IAttributes* b) {
    if (a->getAttributeCount() != b->getAttributeCount())
        return false;
    for (u32 i = 0; i < a->getAttributeCount(); ++i) {
        const s32 index = static_cast<s32>(i);
        if (core::stringc(a->getAttributeName(index)) != b->getAttributeName(index) ||
            a->getAttributeType(index) != b->getAttributeType(index) ||
            a->getAttributeAsStringW(index) != b->getAttributeAsStringW(index))
            return false;
    }
    return true;
}

// Numbers a user typed that are no numbers (nan, inf) would put the node
// nowhere while it plays and be saved as such.
bool finiteValues(io::IAttributes* attributes) {
    for (u32 i = 0; i < attributes->getAttributeCount(); ++i) {
        const s32 index = static_cast<s32>(i);
        const io::E_ATTRIBUTE_TYPE type = attributes->getAttributeType(index);
        if (type == io::EAT_FLOAT && !std::isfinite(attributes->getAttributeAsFloat(index)))
            return false;
        if (type == io::EAT_VECTOR3D) {
            const core::vector3df v = attributes->getAttributeAsVector3d(index);
            if (!std::isfinite(v.X) || !std::isfinite(v.Y) || !std::isfinite(v.Z))
                return false;
        }
    }
    return true;
}

// The node's size: half the diagonal of its scaled box.
f32 sizeOf(scene::ISceneNode* node) {
    core::vector3df extent = node->getBoundingBox().getExtent() * node->getScale();
    const f32 size = extent.getLength() / 2.f;
    return std::isfinite(size) ? size : 0.f;
}

scene::ISceneNodeAnimator* makeAnimator(scene::ISceneNode* node, AnimatorKind kind) {
    scene::ISceneManager* smgr = editor.sceneManager;
    const core::vector3df at = node->getPosition();
    switch (kind) {
    case AnimatorKind::Rotation:
        return smgr->createRotationAnimator(core::vector3df(0, 1, 0));
    case AnimatorKind::FlyCircle:
        return smgr->createFlyCircleAnimator(at, std::max(10.f, sizeOf(node)), 0.001f);
    case AnimatorKind::FlyStraight:
        return smgr->createFlyStraightAnimator(at, at + core::vector3df(20, 0, 0), 3000, true);
    case AnimatorKind::FollowSpline: {
        core::array<core::vector3df> points;
        for (const core::vector3df& offset : {core::vector3df(0, 0, 0), core::vector3df(20, 0, 0),
                                              core::vector3df(20, 0, 20), core::vector3df(0, 0, 20)})
            points.push_back(at + offset);
        return smgr->createFollowSplineAnimator(0, points, 1.f, 0.5f, true);
    }
    case AnimatorKind::Texture: {
        // An empty list runs safely in the engine: it changes nothing.
        core::array<video::ITexture*> textures;
        if (node->getMaterialCount() > 0 && node->getMaterial(0).getTexture(0))
            textures.push_back(node->getMaterial(0).getTexture(0));
        return smgr->createTextureAnimator(textures, 100, true);
    }
    case AnimatorKind::Deletion:
        return smgr->createDeleteAnimator(10000);
    }
    return nullptr;
}

// A new animator of the same type to take the changed values: made by the
// engine's factory (a clone would not do: the texture animator's reading adds
// the textures read to those it has), else a clone, which also serves an
// animator holding what attributes do not carry (a collision world).
EngineRef<scene::ISceneNodeAnimator> copyOf(scene::ISceneNodeAnimator* animator, scene::ISceneNode* node) {
    scene::ISceneManager* smgr = editor.sceneManager;
    const scene::ESCENE_NODE_ANIMATOR_TYPE type = animator->getType();
    const bool hasWorld = type == scene::ESNAT_COLLISION_RESPONSE &&
                          static_cast<scene::ISceneNodeAnimatorCollisionResponse*>(animator)->getWorld();
    const c8* typeName = hasWorld ? nullptr : smgr->getAnimatorTypeName(type);
    auto copy = EngineRef<scene::ISceneNodeAnimator>::adopt(
        typeName ? smgr->createSceneNodeAnimator(typeName, nullptr) : nullptr);
    if (!copy || copy->getType() != type)
        copy = EngineRef<scene::ISceneNodeAnimator>::adopt(animator->createClone(node, smgr));
    if (copy && copy->getType() != type)
        copy.reset();
    return copy;
}

} // namespace

AnimatorKind animatorKindAt(u32 index) {
    return static_cast<AnimatorKind>(std::min(index, kAnimatorKindCount - 1));
}

scene::ESCENE_NODE_ANIMATOR_TYPE animatorTypeOf(AnimatorKind kind) { return kKindTypes[static_cast<u32>(kind)]; }

u32 authoredAnimatorCount(scene::ISceneNode* node) { return heldAnimatorCount(node); }

scene::ISceneNodeAnimator* authoredAnimator(scene::ISceneNode* node, u32 index) { return heldAnimator(node, index); }

AnimatorEdit addAnimator(scene::ISceneNode* node, AnimatorKind kind) {
    if (!editable(node))
        return refused(AnimatorRefusal::NoNode);
    PlaybackPaused paused; // the defaults go around the authored position
    auto animator = EngineRef<scene::ISceneNodeAnimator>::adopt(makeAnimator(node, kind));
    if (!animator)
        return refused(AnimatorRefusal::NotCopyable);
    AnimatorList before = heldList(node);
    AnimatorList after = before;
    after.push_back(animator);
    return madeEdit(node, std::move(before), after);
}

AnimatorEdit removeAnimator(scene::ISceneNode* node, u32 index) {
    if (!editable(node))
        return refused(AnimatorRefusal::NoNode);
    AnimatorList before = heldList(node);
    if (index >= before.size())
        return refused(AnimatorRefusal::NoAnimator);
    PlaybackPaused paused;
    AnimatorList after = before;
    after.erase(after.begin() + index);
    return madeEdit(node, std::move(before), after);
}

AnimatorEdit changeAnimator(scene::ISceneNode* node, u32 index, io::IAttributes* attributes) {
    if (!editable(node))
        return refused(AnimatorRefusal::NoNode);
    AnimatorList before = heldList(node);
    if (index >= before.size() || !attributes)
        return refused(AnimatorRefusal::NoAnimator);
    EngineRef<scene::ISceneNodeAnimator> changed = copyOf(before[index].get(), node);
    if (!changed)
        return refused(AnimatorRefusal::NotCopyable);
    changed->deserializeAttributes(attributes);
    const EngineRef<io::IAttributes> now = attributesOf(changed.get());
    if (!animatorSafeToRun(changed.get()) || !finiteValues(now.get()))
        return refused(AnimatorRefusal::UnsafeValues);
    if (sameAttributes(attributesOf(before[index].get()).get(), now.get()))
        return {};
    PlaybackPaused paused;
    AnimatorList after = before;
    after[index] = changed;
    return madeEdit(node, std::move(before), after);
}

bool animatorSafeToRun(scene::ISceneNodeAnimator* animator) {
    if (!animator || !editor.sceneManager)
        return false;
    const c8* timeName = animator->getType() == scene::ESNAT_TEXTURE       ? "TimePerFrame"
                         : animator->getType() == scene::ESNAT_FLY_STRAIGHT ? "TimeForWay"
                                                                            : nullptr;
    if (!timeName)
        return true;
    EngineRef<io::IAttributes> attributes = attributesOf(animator);
    return !attributes->existsAttribute(timeName) || attributes->getAttributeAsInt(timeName) != 0;
}

} // namespace sorn
