#pragma once
// Scene nodes are freed by the engine when it next draws after being queued
// for deletion, while the scene box tree may still show them. These helpers
// let a tree pick tell a live node from one that is gone or about to go.
#include <irrlicht.h>

namespace sorn {

// Queues the node (and so everything under it) for deletion and remembers it
// until the engine has flushed its deletion queue.
void queueNodeDeletion(irr::scene::ISceneNode* node);

// Called after the scene manager has drawn (the queued nodes are then freed).
void deletionQueueFlushed();

// True when the pointer is a node of the current scene graph that is not
// queued for deletion. The pointer itself is never dereferenced unless it is
// found in the graph, so stale pointers are safe to ask about.
bool isLiveSceneNode(irr::scene::ISceneNode* node);

} // namespace sorn
