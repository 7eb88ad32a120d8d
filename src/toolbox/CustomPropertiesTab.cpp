#include "toolbox/CustomPropertiesTab.h"

#include <memory>

#include "app/EditorState.h"
#include "app/EngineRef.h"
#include "app/GuiIds.h"
#include "app/TextConvert.h"
#include "app/Translate.h"
#include "scene/AttributeText.h"
#include "scene/NodeLifetime.h"
#include "scene/UndoHistory.h"
#include "scene/UserDataEditing.h"
#include "scene/NodeUserData.h"
#include "toolbox/AttributePanel.h"
#include "toolbox/ToolBoxRows.h"
#include "toolbox/ToolBoxSteps.h"

using namespace irr;

namespace sorn {

namespace {

// The property the tab showed last, kept across the rebuilds that follow an
// edit, an undo or a refresh of the same node.
struct ShownProperty {
    const scene::ISceneNode* node = nullptr;
    s32 index = -1;
};
ShownProperty shown;

const wchar_t* refusalKey(CustomPropertyOutcome outcome) {
    switch (outcome) {
    case CustomPropertyOutcome::EmptyName: return L"custom_properties_name_empty";
    case CustomPropertyOutcome::NameTaken: return L"custom_properties_name_taken";
    case CustomPropertyOutcome::BadName: return L"custom_properties_name_characters";
    case CustomPropertyOutcome::Unreadable: return L"custom_properties_value_unreadable";
    default: return nullptr;
    }
}

core::stringw entryText(io::IAttributes* set, s32 index) {
    return widenBytes(set->getAttributeName(index)) + L" (" + attributeTypeName(set->getAttributeType(index)) + L")";
}

// The tab's content. Its children's events reach it first (an element sends
// its events to its parent) and it handles them itself.
class CustomPropertiesPage : public gui::IGUIElement {
public:
    CustomPropertiesPage(gui::IGUIEnvironment* env, gui::IGUIElement* parent, const core::rect<s32>& area,
                         scene::ISceneNode* node)
        : IGUIElement(gui::EGUIET_ELEMENT, env, parent, ids::CustomPropertiesPage, area), node_(node) {
        build();
    }

    bool OnEvent(const SEvent& event) override {
        if (event.EventType != EET_GUI_EVENT || !event.GUIEvent.Caller || !isLiveSceneNode(node_.get()))
            return IGUIElement::OnEvent(event);
        const s32 id = event.GUIEvent.Caller->getID();
        const gui::EGUI_EVENT_TYPE type = event.GUIEvent.EventType;
        if (id == ids::CustomPropertiesList &&
            (type == gui::EGET_LISTBOX_CHANGED || type == gui::EGET_LISTBOX_SELECTED_AGAIN)) {
            show(list_->getSelected());
        } else if (id == ids::CustomPropertiesAdd && type == gui::EGET_BUTTON_CLICKED) {
            finish(addCustomProperty(node_.get(), chosenType()));
        } else if (id == ids::CustomPropertiesRemove && type == gui::EGET_BUTTON_CLICKED) {
            if (shown.index >= 0)
                finish(removeCustomProperty(node_.get(), static_cast<u32>(shown.index)));
        } else if (id == ids::CustomPropertiesName && type == gui::EGET_EDITBOX_ENTER) {
            if (shown.index >= 0)
                finish(renameCustomProperty(node_.get(), static_cast<u32>(shown.index), name_->getText()));
        } else if (id == ids::CustomPropertiesType && type == gui::EGET_COMBO_BOX_CHANGED) {
            if (shown.index >= 0)
                finish(retypeCustomProperty(node_.get(), static_cast<u32>(shown.index), chosenType()));
        } else if (id == ids::CustomPropertiesValue && type == gui::EGET_EDITBOX_ENTER) {
            if (shown.index >= 0)
                finish(setCustomPropertyText(node_.get(), static_cast<u32>(shown.index), value_->getText()));
        } else {
            return IGUIElement::OnEvent(event);
        }
        return true;
    }

private:
    void build() {
        gui::IGUIEnvironment* env = Environment;
        const s32 right = RelativeRect.getWidth() - 4;
        list_ = env->addListBox(core::rect<s32>(4, 4, right, 150), this, ids::CustomPropertiesList, true);
        env->addButton(core::rect<s32>(4, 154, right / 2 - 2, 174), this, ids::CustomPropertiesAdd,
                       translate(L"custom_properties_add").c_str());
        env->addButton(core::rect<s32>(right / 2 + 2, 154, right, 174), this, ids::CustomPropertiesRemove,
                       translate(L"custom_properties_remove").c_str());
        env->addStaticText(translate(L"custom_properties_name").c_str(), core::rect<s32>(4, 182, 52, 198), false,
                           false, this, -1);
        name_ = env->addEditBox(L"", core::rect<s32>(52, 180, right, 200), true, this, ids::CustomPropertiesName);
        env->addStaticText(translate(L"custom_properties_type").c_str(), core::rect<s32>(4, 208, 52, 224), false,
                           false, this, -1);
        type_ = env->addComboBox(core::rect<s32>(52, 206, right, 226), this, ids::CustomPropertiesType);
        for (io::E_ATTRIBUTE_TYPE listed : customPropertyTypes())
            type_->addItem(attributeTypeName(listed), static_cast<u32>(listed));
        type_->setSelected(static_cast<s32>(type_->getIndexForItemData(io::EAT_STRING)));
        message_ = env->addStaticText(L"", core::rect<s32>(4, 230, right, 258), false, true, this,
                                      ids::CustomPropertiesMessage);
        message_->setOverrideColor(video::SColor(255, 160, 0, 0));
        valueLabel_ = env->addStaticText(translate(L"custom_properties_value").c_str(),
                                         core::rect<s32>(4, 264, 52, 280), false, false, this, -1);
        value_ = env->addEditBox(L"", core::rect<s32>(52, 262, right, 282), true, this, ids::CustomPropertiesValue);

        io::IAttributes* set = customProperties(node_.get());
        const s32 count = set ? static_cast<s32>(set->getAttributeCount()) : 0;
        for (s32 i = 0; i < count; ++i)
            list_->addItem(entryText(set, i).c_str());
        s32 index = shown.node == node_.get() ? shown.index : 0;
        if (index >= count)
            index = count - 1;
        show(index);
    }

    // Shows the property at index (-1: none) in the rows below the list.
    void show(s32 index) {
        shown = ShownProperty{node_.get(), index};
        list_->setSelected(index);
        message_->setText(L"");
        io::IAttributes* set = customProperties(node_.get());
        const bool any = set && index >= 0 && index < static_cast<s32>(set->getAttributeCount());
        name_->setEnabled(any);
        if (auto* remove = getElementFromId(ids::CustomPropertiesRemove))
            remove->setEnabled(any);
        if (panel_) {
            panel_->remove();
            panel_ = nullptr;
        }
        if (!any) {
            name_->setText(L"");
            showValueBox(false);
            return;
        }
        name_->setText(widenBytes(set->getAttributeName(index)).c_str());
        type_->setSelected(type_->getIndexForItemData(static_cast<u32>(set->getAttributeType(index))));
        // An enumeration without literals (as files hold them) reads any
        // text: an edit box. Every other value: the panel's row for its type.
        core::array<core::stringc> literals;
        if (set->getAttributeType(index) == io::EAT_ENUM)
            set->getAttributeEnumerationLiteralsOfEnumeration(index, literals);
        const bool textBox = set->getAttributeType(index) == io::EAT_ENUM && literals.empty();
        showValueBox(textBox);
        if (textBox) {
            value_->setText(set->getAttributeAsStringW(index).c_str());
            return;
        }
        const EngineRef<io::IAttributes> one = EngineRef<io::IAttributes>::adopt(copyAttributes(nullptr));
        if (!one)
            return;
        appendAttributeCopy(set, index, one.get());
        const core::rect<s32> area(4, 262, RelativeRect.getWidth() - 4, RelativeRect.getHeight() - 4);
        const EngineRef<scene::ISceneNode> node = node_;
        panel_ = addAttributePanel(this, area, one.get(), ids::CustomPropertiesFirstRow, ids::CustomPropertiesLastRow,
                                   [this, node](io::IAttributes* edited, u32 at) {
                                       if (shown.index >= 0 && isLiveSceneNode(node.get()))
                                           finish(setCustomPropertyValue(node.get(), static_cast<u32>(shown.index),
                                                                         edited, at));
                                   });
    }

    void showValueBox(bool visible) {
        valueLabel_->setVisible(visible);
        value_->setVisible(visible);
        value_->setText(L"");
    }

    io::E_ATTRIBUTE_TYPE chosenType() const {
        const s32 item = type_->getSelected();
        return item < 0 ? io::EAT_STRING : static_cast<io::E_ATTRIBUTE_TYPE>(type_->getItemData(static_cast<u32>(item)));
    }

    // A done edit becomes one undo step and the tool box is rebuilt once the
    // engine has finished with this event (the rebuild replaces this page); a
    // refused one says why.
    void finish(CustomPropertyEdit edit) {
        if (edit.outcome == CustomPropertyOutcome::Done) {
            shown = ShownProperty{node_.get(), edit.index};
            recordToolBoxStep(std::move(edit.step));
            editor.sceneViewRefresh.schedule();
            return;
        }
        const wchar_t* key = refusalKey(edit.outcome);
        message_->setText(key ? translate(key).c_str() : L"");
    }

    EngineRef<scene::ISceneNode> node_;
    gui::IGUIListBox* list_ = nullptr;
    gui::IGUIEditBox* name_ = nullptr;
    gui::IGUIComboBox* type_ = nullptr;
    gui::IGUIStaticText* message_ = nullptr;
    gui::IGUIStaticText* valueLabel_ = nullptr;
    gui::IGUIEditBox* value_ = nullptr; // for enumerations without literals
    gui::IGUIElement* panel_ = nullptr;
};

} // namespace

void addCustomPropertiesTab() {
    auto* tabs = static_cast<gui::IGUITabControl*>(toolBoxElement(ids::ToolBoxTabControl));
    if (!tabs || !editor.selectedNode)
        return;
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    gui::IGUITab* tab = tabs->addTab(translate(L"window_toolbox_tab_custom").c_str(), -1);
    const core::rect<s32> area(0, 0, tab->getRelativePosition().getWidth(), tab->getRelativePosition().getHeight());
    auto* page = new CustomPropertiesPage(env, tab, area, editor.selectedNode);
    page->drop(); // the tab holds it
}

} // namespace sorn
