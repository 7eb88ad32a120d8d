#include "toolbox/DialogOwners.h"

#include <vector>

#include "app/EditorState.h"
#include "app/EngineRef.h"

using namespace irr;

namespace sorn {

namespace {

struct DialogOwner {
    EngineRef<gui::IGUIElement> dialog;
    EngineRef<gui::IGUIElement> owner;
};

std::vector<DialogOwner>& owners() {
    static std::vector<DialogOwner> list;
    return list;
}

// Whether the element still hangs from the GUI root (its parents all in place).
bool inGui(gui::IGUIElement* element) {
    gui::IGUIElement* root = editor.device ? editor.device->getGUIEnvironment()->getRootGUIElement() : nullptr;
    for (gui::IGUIElement* e = element; e; e = e->getParent())
        if (e == root)
            return true;
    return false;
}

} // namespace

void passDialogReportsTo(gui::IGUIElement* dialog, gui::IGUIElement* owner) {
    if (!dialog || !owner)
        return;
    // Dialogs closed without a report (their window removed with the GUI)
    // are let go here.
    auto& list = owners();
    for (size_t i = 0; i < list.size();) {
        if (!list[i].dialog->getParent())
            list.erase(list.begin() + static_cast<long>(i));
        else
            ++i;
    }
    list.push_back({EngineRef<gui::IGUIElement>(dialog), EngineRef<gui::IGUIElement>(owner)});
}

bool passDialogReport(const SEvent& event) {
    if (event.EventType != EET_GUI_EVENT || !event.GUIEvent.Caller)
        return false;
    auto& list = owners();
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].dialog.get() != event.GUIEvent.Caller)
            continue;
        const gui::EGUI_EVENT_TYPE type = event.GUIEvent.EventType;
        const bool done = type == gui::EGET_FILE_SELECTED || type == gui::EGET_FILE_CHOOSE_DIALOG_CANCELLED ||
                          type == gui::EGET_ELEMENT_CLOSED;
        // Held for the call: the owner may rebuild the tool box it sits in.
        DialogOwner entry = list[i];
        if (done)
            list.erase(list.begin() + static_cast<long>(i));
        // An owner removed from the GUI (the tool box rebuilt meanwhile)
        // has nothing left to show the result in.
        if (inGui(entry.owner.get()))
            entry.owner->OnEvent(event);
        return true;
    }
    return false;
}

namespace {
EngineRef<gui::IGUIElement>& editedElement() {
    static EngineRef<gui::IGUIElement> element;
    return element;
}
} // namespace

void holdEditedElement(gui::IGUIElement* element) { editedElement() = EngineRef<gui::IGUIElement>(element); }

void releaseToolBoxHolds() {
    owners().clear();
    editedElement().reset();
}

} // namespace sorn
