#include "toolbox/AnimatorsTab.h"

#include <algorithm>

#include "app/EditorState.h"
#include "app/Translate.h"
#include "scene/AnimatorEditing.h"
#include "scene/NodeLifetime.h"
#include "scene/UndoHistory.h"
#include "toolbox/AttributePanel.h"
#include "toolbox/ToolBox.h"
#include "toolbox/ToolBoxRows.h"
#include "toolbox/ToolBoxSteps.h"

using namespace irr;

namespace sorn {

namespace {

const core::rect<s32> kPanelArea(0, 152, 190, 600);

// The animator shown, kept across rebuilds: the node is only compared, never used.
scene::ISceneNode* shownNode = nullptr;
s32 shownIndex = -1;

scene::ISceneNode* tabNode() {
    scene::ISceneNode* node = editor.selectedNode;
    return editor.nodeSelected && node && isLiveSceneNode(node) ? node : nullptr;
}

void showRefusal(AnimatorRefusal refusal) {
    const wchar_t* key = refusal == AnimatorRefusal::UnsafeValues ? L"animators_refused_unsafe"
                         : refusal == AnimatorRefusal::NotCopyable ? L"animators_refused_not_copyable"
                                                                   : nullptr;
    if (key)
        editor.device->getGUIEnvironment()->addMessageBox(translate(L"animators_caption").c_str(),
                                                          translate(key).c_str());
}

// Records the edit as one step and shows the result on every tab.
void finish(AnimatorEdit edit, s32 selectAfter) {
    if (!edit.step) {
        showRefusal(edit.refusal);
        return;
    }
    recordToolBoxStep(std::move(edit.step));
    shownIndex = selectAfter;
    updateToolBox();
}

void onAttributesEdited(io::IAttributes* edited, u32) {
    scene::ISceneNode* node = tabNode();
    if (node && shownIndex >= 0)
        finish(changeAnimator(node, static_cast<u32>(shownIndex), edited), shownIndex);
}

// The panel over the shown animator's attributes, in place of any before.
void showPanel(gui::IGUIElement* area) {
    if (gui::IGUIElement* old = area->getElementFromId(ids::AnimatorsPanelHolder, false))
        old->remove();
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    gui::IGUIElement* holder = env->addStaticText(L"", kPanelArea, false, false, area, ids::AnimatorsPanelHolder);
    scene::ISceneNode* node = tabNode();
    scene::ISceneNodeAnimator* animator = node && shownIndex >= 0 ? authoredAnimator(node, shownIndex) : nullptr;
    if (!animator)
        return;
    io::IAttributes* attributes =
        editor.sceneManager->getFileSystem()->createEmptyAttributes(editor.sceneManager->getVideoDriver());
    animator->serializeAttributes(attributes);
    addAttributePanel(holder, core::rect<s32>(0, 0, kPanelArea.getWidth(), kPanelArea.getHeight()), attributes,
                      ids::AnimatorsFirstRow, ids::AnimatorsLastRow, onAttributesEdited);
    attributes->drop();
}

// The tab's content: its buttons and list report here, and are handled here.
class AnimatorsArea : public gui::IGUIElement {
public:
    AnimatorsArea(gui::IGUIEnvironment* env, gui::IGUIElement* parent, const core::rect<s32>& area)
        : gui::IGUIElement(gui::EGUIET_ELEMENT, env, parent, ids::AnimatorsArea, area) {}

    bool OnEvent(const SEvent& event) override {
        if (event.EventType != EET_GUI_EVENT || !event.GUIEvent.Caller)
            return gui::IGUIElement::OnEvent(event);
        // An edit rebuilds the tool box, this area with it: it stays alive
        // until its handling is done.
        grab();
        const bool handled = handle(event.GUIEvent);
        drop();
        return handled || gui::IGUIElement::OnEvent(event);
    }

private:
    bool handle(const SEvent::SGUIEvent& event) {
        const s32 id = event.Caller->getID();
        scene::ISceneNode* node = tabNode();
        if (event.EventType == gui::EGET_LISTBOX_CHANGED && id == ids::AnimatorsList) {
            shownIndex = static_cast<gui::IGUIListBox*>(event.Caller)->getSelected();
            showPanel(this);
            return true;
        }
        if (event.EventType != gui::EGET_BUTTON_CLICKED || !node)
            return false;
        if (id == ids::AnimatorsAdd) {
            auto* combo = static_cast<gui::IGUIComboBox*>(getElementFromId(ids::AnimatorsKinds, true));
            const s32 kind = combo ? combo->getSelected() : -1;
            if (kind >= 0)
                finish(addAnimator(node, animatorKindAt(static_cast<u32>(kind))), authoredAnimatorCount(node));
            return true;
        }
        if (id == ids::AnimatorsRemove && shownIndex >= 0) {
            const s32 left = static_cast<s32>(authoredAnimatorCount(node)) - 2;
            finish(removeAnimator(node, static_cast<u32>(shownIndex)), std::min(shownIndex, left));
            return true;
        }
        return false;
    }
};

} // namespace

void addAnimatorsTab() {
    auto* tabs = static_cast<gui::IGUITabControl*>(toolBoxElement(ids::ToolBoxTabControl));
    scene::ISceneNode* node = tabNode();
    if (!tabs || !node)
        return;
    const s32 count = static_cast<s32>(authoredAnimatorCount(node));
    if (node != shownNode)
        shownIndex = 0;
    shownNode = node;
    shownIndex = count == 0 ? -1 : std::max(0, std::min(shownIndex, count - 1));

    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    gui::IGUITab* tab = tabs->addTab(translate(L"window_toolbox_tab_animators").c_str(), -1);
    auto* area = new AnimatorsArea(env, tab, core::rect<s32>(0, 0, 194, 620));
    area->drop(); // the tab holds it

    gui::IGUIListBox* list = env->addListBox(core::rect<s32>(5, 5, 185, 95), area, ids::AnimatorsList, true);
    for (s32 i = 0; i < count; ++i) {
        const c8* name = editor.sceneManager->getAnimatorTypeName(authoredAnimator(node, i)->getType());
        list->addItem(core::stringw(name ? name : "?").c_str());
    }
    list->setSelected(shownIndex);
    gui::IGUIComboBox* kinds = env->addComboBox(core::rect<s32>(5, 102, 118, 122), area, ids::AnimatorsKinds);
    for (u32 k = 0; k < kAnimatorKindCount; ++k)
        kinds->addItem(core::stringw(editor.sceneManager->getAnimatorTypeName(animatorTypeOf(animatorKindAt(k)))).c_str());
    env->addButton(core::rect<s32>(122, 102, 185, 122), area, ids::AnimatorsAdd, translate(L"animators_add").c_str());
    env->addButton(core::rect<s32>(122, 127, 185, 147), area, ids::AnimatorsRemove,
                   translate(L"animators_remove").c_str())
        ->setEnabled(shownIndex >= 0);
    showPanel(area);
}

s32 shownAnimatorIndex() { return tabNode() && tabNode() == shownNode ? shownIndex : -1; }

} // namespace sorn
