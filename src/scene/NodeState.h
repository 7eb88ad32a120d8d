#pragma once
// Everything about one scene node that the editor lets the user change in
// place: its transformation, its debug drawing, its materials and the values
// of its own kind
// (light, emitter, volume light, animation speed, text). Taken before and after a
// change, two states tell whether the change did anything and let undo and
// redo put either one back.
#include <irrlicht.h>

#include <cstddef>
#include <vector>

#include "app/EngineRef.h"
#include "scene/ChangeKind.h"

namespace sorn {

class NodeState {
public:
    // The state of the node as it is now.
    static NodeState of(irr::scene::ISceneNode* node);

    // Gives the node this state back. The node must be the one it was taken from.
    // A node whose animation plays takes it as its authored state and shows it
    // moved on by the animation (see AnimationPlayback.h).
    void applyTo(irr::scene::ISceneNode* node) const;
    // Sets the node's values to exactly this state, animation or not.
    void showOn(irr::scene::ISceneNode* node) const;

    // The state `to` with this state's transformation and textures carried
    // from `from` to `to`: each transformation value moved by what changed
    // between the two, each texture that changed taken from `to`, the others
    // kept. An edit of an animated node moves its authored state this way.
    NodeState carriedOver(const NodeState& from, const NodeState& to) const;

    bool operator==(const NodeState& other) const;
    bool operator!=(const NodeState& other) const { return !(*this == other); }

    // What a change from `before` to this state did, named by the first of
    // its kinds that differs (transformation first, then the node's own
    // values). Meaningful only when the two differ.
    ChangeKind changeFrom(const NodeState& before) const;

    // An estimate of the memory the state holds, for the history's bound.
    std::size_t memoryCost() const;

private:
    irr::core::vector3df position_, rotation_, scale_;
    // The debug drawing bits: saved with the node ("DebugDataVisible").
    irr::u32 debugData_ = 0;
    std::vector<irr::video::SMaterial> materials_;

    bool isLight_ = false;
    irr::video::SLight light_;

    // The emitter in place (held, so that an undo can put it back).
    EngineRef<irr::scene::IParticleEmitter> emitter_;

    bool isVolumeLight_ = false;
    irr::video::SColor tailColour_, footColour_;
    irr::u32 subDivideU_ = 0, subDivideV_ = 0;

    bool isAnimatedMesh_ = false;
    irr::f32 animationSpeed_ = 0.f;

    // A text node's text and colour, as the editor keeps them for it.
    bool hasText_ = false;
    irr::core::stringw text_;
    irr::video::SColor textColour_;
};

} // namespace sorn
