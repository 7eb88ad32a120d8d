#include "app/EditorState.h"

namespace sorn {

EditorState editor;

void resetEditorState() {
    editor = EditorState();
}

irr::gui::IGUIElement* findElement(irr::s32 id) {
    if (!editor.device)
        return nullptr;
    irr::gui::IGUIEnvironment* gui = editor.device->getGUIEnvironment();
    if (!gui)
        return nullptr;
    return gui->getRootGUIElement()->getElementFromId(id, true);
}

irr::core::stringw appPath(const irr::core::stringw& relative) {
    if (editor.appDirectory.empty())
        return relative;
    irr::core::stringw path = editor.appDirectory;
    if (path.lastChar() != L'/')
        path += L"/";
    path += relative;
    return path;
}

irr::core::stringw mediaPath(const irr::core::stringw& name) {
    return appPath(editor.mediaDirectory + name);
}

} // namespace sorn
