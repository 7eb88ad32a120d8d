#pragma once
#include <irrlicht.h>

namespace sorn {

// The editor's one event receiver: routes every engine event by its type, the
// GUI event's kind and the id of the element that caused it. It lets the
// engine see every event too, except a key release the editing keys consume.
class SornEventReceiver : public irr::IEventReceiver {
public:
    SornEventReceiver();
    ~SornEventReceiver() override = default;
    bool OnEvent(const irr::SEvent& event) override;

    irr::gui::IGUITreeView* treeView = nullptr;
    irr::gui::IGUITreeViewNode* treeNode = nullptr;

private:
    void onGuiEvent(const irr::SEvent::SGUIEvent& event);
    void onButtonClicked(irr::s32 id);
    void onFileSelected(irr::s32 id, irr::gui::IGUIElement* dialog);
    void onTreeNodeSelected(irr::gui::IGUIElement* caller);
};

} // namespace sorn
