#include "events/ViewClick.h"

#include <cstdlib>

#include "app/EditorState.h"
#include "events/KeyboardMouseEditing.h"
#include "events/Selection.h"
#include "scene/NodePick.h"

using namespace irr;

namespace sorn {

namespace {

// A press and release further apart than this is a drag (the camera turns).
constexpr s32 kClickSlack = 3;

struct PendingClick {
    bool armed = false;
    s32 x = 0, y = 0;
};

PendingClick pending;

// Over a window, the menu bar, the toolbar or an open dialog's modal screen.
bool pointerOnGui(s32 x, s32 y) {
    gui::IGUIEnvironment* env = editor.device ? editor.device->getGUIEnvironment() : nullptr;
    if (!env)
        return true;
    gui::IGUIElement* root = env->getRootGUIElement();
    gui::IGUIElement* hit = root->getElementFromPoint(core::position2di(x, y));
    // The camera read-out is text drawn over the view, not a window.
    const bool readout = hit && hit->getParent() == root && hit->getType() == gui::EGUIET_STATIC_TEXT;
    return hit && hit != root && !readout;
}

bool withinSlack(const SEvent::SMouseInput& mouse) {
    return std::abs(mouse.X - pending.x) <= kClickSlack && std::abs(mouse.Y - pending.y) <= kClickSlack;
}

} // namespace

void onViewLeftButtonDown(const SEvent::SMouseInput& mouse) {
    pending.armed = editor.editMode == ids::ModeNone && !modalDialogOpen() && !pointerOnGui(mouse.X, mouse.Y);
    pending.x = mouse.X;
    pending.y = mouse.Y;
}

void onViewPointerMoved(const SEvent::SMouseInput& mouse) {
    if (pending.armed && !withinSlack(mouse))
        pending.armed = false;
}

void onViewLeftButtonUp(const SEvent::SMouseInput& mouse) {
    const bool click = pending.armed && withinSlack(mouse);
    pending.armed = false;
    if (!click || editor.editMode != ids::ModeNone || modalDialogOpen() || pointerOnGui(mouse.X, mouse.Y))
        return;
    scene::ISceneNode* node = pickNodeAt(mouse.X, mouse.Y);
    if (mouse.Control) {
        pickNode(node, PickHow::Toggle, true);
        return;
    }
    if (node)
        pickNode(node, PickHow::Only, true);
    else
        deselectAll();
}

} // namespace sorn
