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

// The scene box item's node for its data, holding a reference to it, so the
// node outlives its removal from the scene for as long as the item exists.
void holdNodeInTreeItem(irr::gui::IGUITreeViewNode* item, irr::scene::ISceneNode* node);

// The node a scene box item stands for when it is still in the scene graph
// and not queued for deletion; null otherwise. Costs one step per level of
// the node's depth: the item's reference keeps the node readable even after
// the engine removed it (by the deletion queue, a deletion animator, ...).
// Items without that reference give their node only when it is the scene's root.
irr::scene::ISceneNode* liveNodeOfTreeItem(irr::gui::IGUITreeViewNode* item);

} // namespace sorn
