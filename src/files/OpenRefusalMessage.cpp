#include "files/OpenRefusalMessage.h"

#include <irrlicht.h>

#include "app/EditorState.h"
#include "app/PathText.h"
#include "app/Translate.h"

namespace sorn {

const wchar_t* openRefusalKey(SceneRefusal refusal) {
    switch (refusal) {
    case SceneRefusal::None:
        return nullptr;
    case SceneRefusal::Unreadable:
        return L"open_failed_unreadable";
    case SceneRefusal::TooLarge:
        return L"open_failed_too_large";
    case SceneRefusal::NotAScene:
        return L"open_failed_not_a_scene";
    case SceneRefusal::NestedTooDeeply:
        return L"open_failed_too_deep";
    case SceneRefusal::ValueOutOfBounds:
        return L"open_failed_out_of_bounds";
    }
    return L"open_failed_unreadable";
}

void showOpenRefusal(const std::string& path, SceneRefusal refusal, const std::string& detail) {
    const wchar_t* key = openRefusalKey(refusal);
    if (!key || !editor.device)
        return;
    irr::core::stringw text = translate(key);
    text += L"\n";
    text += widePath(path);
    if (!detail.empty()) {
        text += L"\n";
        text += irr::core::stringw(detail.c_str());
    }
    editor.device->getGUIEnvironment()->addMessageBox(translate(L"open_failed_caption").c_str(), text.c_str(),
                                                      true, irr::gui::EMBF_OK, nullptr, -1);
}

} // namespace sorn
