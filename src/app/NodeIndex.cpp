#include "app/NodeIndex.h"

#include "app/EditorState.h"

using namespace irr;

namespace sorn {

namespace {

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
    if (editor.sceneManager && node == editor.sceneManager->getRootSceneNode())
        editor.nodeNameIndex.clear();
    indexChildren(node);
}

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
