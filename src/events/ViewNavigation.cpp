#include "events/ViewNavigation.h"

#include <algorithm>
#include <cmath>

#include "app/EditorState.h"
#include "app/SmallWindows.h"
#include "app/SnapSettings.h"
#include "app/Translate.h"
#include "events/KeyboardMouseEditing.h"
#include "scene/SelectedNodes.h"
#include "scene/ViewFraming.h"

using namespace irr;

namespace sorn {

namespace {

scene::ICameraSceneNode* activeCamera() {
    return editor.sceneManager ? editor.sceneManager->getActiveCamera() : nullptr;
}

scene::ISceneNodeAnimatorCameraMaya* orbitAnimatorOf(scene::ICameraSceneNode* camera) {
    if (!camera)
        return nullptr;
    for (scene::ISceneNodeAnimator* animator : camera->getAnimators())
        if (animator->getType() == scene::ESNAT_CAMERA_MAYA)
            return static_cast<scene::ISceneNodeAnimatorCameraMaya*>(animator);
    return nullptr;
}

f32 clampedOrbitDistance(scene::ICameraSceneNode* camera, f32 distance) {
    if (!std::isfinite(distance))
        distance = farthestOrbitDistance(camera);
    return std::clamp(distance, nearestOrbitDistance(), farthestOrbitDistance(camera));
}

// Over the 3D view: the pointer is over no GUI element but the root (a modal
// window's screen, the menu bar and its open menus, the toolbar and every
// window count as elements).
bool pointerOverView(const core::position2di& at) {
    if (!editor.device)
        return false;
    gui::IGUIElement* root = editor.device->getGUIEnvironment()->getRootGUIElement();
    return root->getElementFromPoint(at) == root;
}

// After a failed save the choice holds for this run; the user is told it
// will not be remembered, and why.
void rememberSnapState(bool on) {
    WriteFailure failure = WriteFailure::None;
    const bool saved = setSnapOn(on, &failure);
    showSnapState();
    if (saved || !editor.device)
        return;
    core::stringw text = translate(L"window_settings_save_failed_message");
    text += L"\n";
    text += translate(failureReasonKey(failure));
    editor.device->getGUIEnvironment()->addMessageBox(translate(L"window_settings_save_failed_caption").c_str(),
                                                      text.c_str(), true, gui::EMBF_OK, nullptr, -1, nullptr);
}

} // namespace

f32 nearestOrbitDistance() { return 1.f; }

f32 farthestOrbitDistance(scene::ICameraSceneNode* camera) {
    // Beyond this much of the far plane's distance the target itself would fade out of the view.
    const f32 farValue = camera ? camera->getFarValue() : 0.f;
    return std::isfinite(farValue) && farValue > 4.f * nearestOrbitDistance() ? farValue * 0.75f : 1000.f;
}

void handleViewKey(const SEvent::SKeyInput& key) {
    // The letter filter before this has already let go of an F that went
    // down with Control or Alt held, or into an edit box.
    if (key.Key == KEY_KEY_F && !key.PressedDown && !modalDialogOpen() && !typingIntoEditBox())
        frameSelection();
}

void onMouseWheel(const SEvent::SMouseInput& mouse) {
    scene::ICameraSceneNode* camera = activeCamera();
    scene::ISceneNodeAnimatorCameraMaya* orbit = orbitAnimatorOf(camera);
    if (!orbit || !std::isfinite(mouse.Wheel) || mouse.Wheel == 0.f)
        return;
    if (!pointerOverView(core::position2di(mouse.X, mouse.Y)))
        return;
    // A notch up (away from the user) brings the camera nearer.
    const f32 notches = std::clamp(mouse.Wheel, -10.f, 10.f);
    orbit->setDistance(clampedOrbitDistance(camera, orbit->getDistance() * std::pow(kWheelZoomFactor, notches)));
}

void frameSelection() {
    scene::ICameraSceneNode* camera = activeCamera();
    if (!camera)
        return;
    std::vector<scene::ISceneNode*> nodes = topmostSelectedNodes();
    const bool wholeScene = nodes.empty();
    if (wholeScene)
        nodes = userTopLevelNodes(editor.sceneManager);
    core::aabbox3df box;
    if (!worldBoxOf(nodes, wholeScene, box))
        return;
    const core::vector3df centre = box.getCenter();
    const f32 distance = framingDistance(box, camera->getFOV(), camera->getAspectRatio());
    if (scene::ISceneNodeAnimatorCameraMaya* orbit = orbitAnimatorOf(camera)) {
        camera->setTarget(centre);
        orbit->setDistance(clampedOrbitDistance(camera, distance));
        return;
    }
    // The first-person camera keeps its direction and steps back from the centre.
    core::vector3df direction = camera->getTarget() - camera->getAbsolutePosition();
    if (direction.getLengthSQ() == 0.f)
        direction.set(0.f, 0.f, 1.f);
    direction.normalize();
    camera->setPosition(centre - direction * distance);
    camera->updateAbsolutePosition();
    camera->setTarget(centre);
}

bool handleViewMenuCommand(s32 command) {
    switch (command) {
    case ids::CmdSnap:
        rememberSnapState(!editor.snapOn);
        return true;
    case ids::CmdFrameSelection:
        frameSelection();
        return true;
    default:
        return false;
    }
}

void toggleSnapFromButton() { rememberSnapState(!editor.snapOn); }

} // namespace sorn
