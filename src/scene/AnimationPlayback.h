#pragma once
// The animators of the user's nodes run only while the user plays them.
//
// Stopped (at start, after New and after every open or added model), each
// user node's animators are held aside here, in their order, so drawing moves
// nothing and every node shows its authored state. Play puts running copies of
// them on their nodes (their clocks start at Play) and remembers each animated
// node's authored state; Stop takes them off and gives every node its authored
// state back. The editor's own nodes (debug objects) are never touched.
//
// While playing, a user edit of an animated node changes its authored state by
// the same amount (a move of 5 moves the authored position by 5), so that after
// Stop the node is where the user put it; the undo history keeps authored states.
#include <irrlicht.h>

#include <vector>

#include "app/EngineRef.h"

namespace sorn {

class NodeState;

// Stops, then takes the animators off every user node that carries some and
// holds them aside (an open or an added model brought them).
void holdSceneAnimators();

bool animationPlaying();
// Play and Stop, as the View menu's item does them; the item's caption follows.
void playAnimation();
void stopAnimation();

// Drops every held animator and the nodes they belong to (the scene is
// replaced, or the engine goes); playback is stopped.
void forgetHeldAnimators();

// The copy of a node gets copies of the original's held animators, held aside
// too (and playing when the original plays).
void holdAnimatorCopies(irr::scene::ISceneNode* original, irr::scene::ISceneNode* copy);

// The animators held for the node, in their order (none for a node that has none).
irr::u32 heldAnimatorCount(irr::scene::ISceneNode* node);
irr::scene::ISceneNodeAnimator* heldAnimator(irr::scene::ISceneNode* node, irr::u32 index);

// The node's held animators become exactly these, in this order (none: the
// node has none). A node that plays starts its new animators afresh from its
// authored state.
void setHeldAnimators(irr::scene::ISceneNode* node,
                      const std::vector<EngineRef<irr::scene::ISceneNodeAnimator>>& animators);

// The node's state as the user made it: while it plays, its authored state
// (with any edit made since the last frame counted in); otherwise its state.
NodeState authoredStateOf(irr::scene::ISceneNode* node);

// For NodeState::applyTo: when the node plays, the state becomes its authored
// one and the node shows it moved on by its animation; true then. False for a
// node that does not play (the state is then simply applied).
bool applyAuthoredStateWhilePlaying(irr::scene::ISceneNode* node, const NodeState& authored);

// For the length of a save: every node has its authored state and carries its
// held animators, in their order, as the file had them; the destructor puts
// back what was shown (no drawing may happen in between).
class AuthoredSceneForSave {
public:
    AuthoredSceneForSave();
    ~AuthoredSceneForSave();
    AuthoredSceneForSave(const AuthoredSceneForSave&) = delete;
    AuthoredSceneForSave& operator=(const AuthoredSceneForSave&) = delete;
};

} // namespace sorn
