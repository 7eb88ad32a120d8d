#include "toolbox/ToolBoxRows.h"

#include "app/EditorState.h"
#include "app/TextConvert.h"

using namespace irr;

namespace sorn {

gui::IGUIElement* toolBoxElement(s32 id) {
    gui::IGUIElement* window = findElement(ids::ToolBoxWindow);
    return window ? window->getElementFromId(id, true) : nullptr;
}

bool toolBoxText(s32 id, std::string& bytes) {
    gui::IGUIElement* element = toolBoxElement(id);
    if (!element)
        return false;
    bytes = narrowToBytes(element->getText());
    return true;
}

void showToolBoxRow(s32 id, bool visible, const wchar_t* text, const wchar_t* tooltip) {
    gui::IGUIElement* element = toolBoxElement(id);
    if (!element)
        return;
    element->setVisible(visible);
    element->setText(text);
    element->setToolTipText(tooltip);
}

gui::IGUIButton* addBrowseButton(gui::IGUIElement* parent, const core::rect<s32>& rect, s32 id) {
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    gui::IGUIButton* button = env->addButton(rect, parent, id, L" ");
    button->setUseAlphaChannel(true);
    // A missing image leaves a plain button; the click still opens the dialog.
    if (video::ITexture* folder = editor.device->getVideoDriver()->getTexture(mediaPath(L"folder.png")))
        button->setImage(folder, core::rect<s32>(0, 0, 16, 16));
    return button;
}

} // namespace sorn
