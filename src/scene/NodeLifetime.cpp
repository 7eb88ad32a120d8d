#include "scene/NodeLifetime.h"

#include "app/EditorState.h"

using namespace irr;

namespace sorn {

namespace {

bool isInSubtree(scene::ISceneNode* root, scene::ISceneNode* wanted) {
    for (scene::ISceneNode* child : root->getChildren()) {
        if (child == wanted || isInSubtree(child, wanted))
            return true;
    }
    return false;
}

} // namespace

void queueNodeDeletion(scene::ISceneNode* node) {
    if (!node || !editor.sceneManager)
        return;
    editor.nodesQueuedForDeletion.insert(node);
    editor.sceneManager->addToDeletionQueue(node);
}

void deletionQueueFlushed() {
    editor.nodesQueuedForDeletion.clear();
}

bool isLiveSceneNode(scene::ISceneNode* node) {
    if (!node || !editor.sceneManager)
        return false;
    scene::ISceneNode* root = editor.sceneManager->getRootSceneNode();
    if (node != root && !isInSubtree(root, node))
        return false;
    // The node is in the graph, so it and its ancestors can be looked at.
    for (scene::ISceneNode* n = node; n; n = n->getParent())
        if (editor.nodesQueuedForDeletion.count(n))
            return false;
    return true;
}

void holdNodeInTreeItem(gui::IGUITreeViewNode* item, scene::ISceneNode* node) {
    item->setData(node);
    item->setData2(node);
}

scene::ISceneNode* liveNodeOfTreeItem(gui::IGUITreeViewNode* item) {
    if (!item || !editor.sceneManager)
        return nullptr;
    auto* node = static_cast<scene::ISceneNode*>(item->getData());
    if (!node)
        return nullptr;
    scene::ISceneNode* root = editor.sceneManager->getRootSceneNode();
    if (node == root)
        return node;
    if (item->getData2() != static_cast<IReferenceCounted*>(node))
        return nullptr;
    scene::ISceneNode* n = node;
    for (; n && n != root; n = n->getParent())
        if (editor.nodesQueuedForDeletion.count(n))
            return nullptr;
    return n == root ? node : nullptr;
}

} // namespace sorn
