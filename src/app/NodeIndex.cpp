#include "app/NodeIndex.h"

#include <vector>

#include "app/EditorState.h"

using namespace irr;

namespace sorn {

namespace {

unsigned generation = 0;

void indexChildren(scene::ISceneNode* node) {
    for (scene::ISceneNode* child : node->getChildren()) {
        editor.nodeNameIndex[child] = child->getName();
        indexChildren(child);
    }
}

} // namespace

void indexNodeNames(scene::ISceneNode* node) {
    if (!node)
        return;
    // Indexing from the scene's root meets every node there is, so entries of
    // nodes deleted since (whose pointers a new node may reuse) go.
    if (editor.sceneManager && node == editor.sceneManager->getRootSceneNode()) {
        editor.nodeNameIndex.clear();
        ++generation;
    }
    indexChildren(node);
}

namespace {

// The node and everything under it, without recursion.
template <typename Visit> void eachInSubtree(scene::ISceneNode* top, Visit visit) {
    std::vector<scene::ISceneNode*> pending{top};
    while (!pending.empty()) {
        scene::ISceneNode* node = pending.back();
        pending.pop_back();
        visit(node);
        for (scene::ISceneNode* child : node->getChildren())
            pending.push_back(child);
    }
}

} // namespace

void indexSubtreeNames(scene::ISceneNode* node) {
    if (!node)
        return;
    // Room for the whole subtree first, so a large one is not rehashed on
    // its way in.
    std::vector<scene::ISceneNode*> nodes;
    eachInSubtree(node, [&nodes](scene::ISceneNode* n) { nodes.push_back(n); });
    editor.nodeNameIndex.reserve(editor.nodeNameIndex.size() + nodes.size());
    for (scene::ISceneNode* n : nodes)
        editor.nodeNameIndex.insert_or_assign(n, n->getName());
}

void forgetSubtreeNames(scene::ISceneNode* node) {
    if (!node)
        return;
    eachInSubtree(node, [](scene::ISceneNode* n) { editor.nodeNameIndex.erase(n); });
    // Another step may hold part of the subtree out of the scene too: put
    // back, it is indexed again.
    ++generation;
}

unsigned nameIndexGeneration() { return generation; }

void releaseCameraKeys() {
    if (!editor.cameraFps)
        return;
    for (scene::ISceneNodeAnimator* animator : editor.cameraFps->getAnimators()) {
        if (animator->getType() != scene::ESNAT_CAMERA_FPS)
            continue;
        auto* fps = static_cast<scene::ISceneNodeAnimatorCameraFPS*>(animator);
        const core::array<SKeyMap>& keys = fps->getKeyMap();
        for (u32 i = 0; i < keys.size(); ++i) {
            SEvent release;
            release.EventType = EET_KEY_INPUT_EVENT;
            release.KeyInput.Key = keys[i].KeyCode;
            release.KeyInput.PressedDown = false;
            release.KeyInput.Char = 0;
            release.KeyInput.Shift = false;
            release.KeyInput.Control = false;
            fps->OnEvent(release);
        }
    }
}

} // namespace sorn
