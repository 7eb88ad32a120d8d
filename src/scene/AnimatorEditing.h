#pragma once
// The user's edits of a node's animators: the list as the user authored it
// (the animators held aside by AnimationPlayback, never the editor's own or
// the running copies), adding one of a kind with defaults around the node,
// removing one, changing one's attributes. Each edit is made at once and
// handed back as one undo step that restores the list before or after it
// exactly, stopped or playing.
#include <irrlicht.h>

#include <memory>

namespace sorn {

class UndoStep;

// The kinds a user can add, in the order the tool box offers them.
enum class AnimatorKind { Rotation, FlyCircle, FlyStraight, FollowSpline, Texture, Deletion };
constexpr irr::u32 kAnimatorKindCount = 6;
AnimatorKind animatorKindAt(irr::u32 index);
irr::scene::ESCENE_NODE_ANIMATOR_TYPE animatorTypeOf(AnimatorKind kind);

// Why an edit was refused (nothing changed then).
enum class AnimatorRefusal {
    None,
    NoNode,          // no node, or one of the editor's own
    NoAnimator,      // the index names no animator of the node
    UnsafeValues,    // values that stop the engine (a time of 0 ms) or are no numbers
    NotCopyable,     // the engine can make no copy of it to change
};

// The result of an edit: the step when it changed something.
struct AnimatorEdit {
    std::unique_ptr<UndoStep> step;
    AnimatorRefusal refusal = AnimatorRefusal::None;
};

irr::u32 authoredAnimatorCount(irr::scene::ISceneNode* node);
irr::scene::ISceneNodeAnimator* authoredAnimator(irr::scene::ISceneNode* node, irr::u32 index);

// Adds an animator of the kind after the node's others, with defaults around
// its authored position: turning 1 degree a frame about Y; circling its
// position (radius 10, or its size when larger) about Y; flying 20 units
// along X in 3 s, looping; following a closed path of four points around it;
// cycling its first texture (none when it has none) each 100 ms; deleting it
// after 10 s (never while the editor plays).
AnimatorEdit addAnimator(irr::scene::ISceneNode* node, AnimatorKind kind);
AnimatorEdit removeAnimator(irr::scene::ISceneNode* node, irr::u32 index);
// Gives the animator at the index the attributes (as its serializeAttributes
// writes them). The animator is replaced by a copy holding the new values, so
// undo gives the original back untouched. No step when nothing changed.
AnimatorEdit changeAnimator(irr::scene::ISceneNode* node, irr::u32 index, irr::io::IAttributes* attributes);

// Whether the animator can run in the engine: a texture animator with 0 ms
// per frame divides by zero, a straight flight of 0 ms puts the node nowhere
// (not a number).
bool animatorSafeToRun(irr::scene::ISceneNodeAnimator* animator);

} // namespace sorn
