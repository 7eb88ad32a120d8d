#include "files/OpenRefusalMessage.h"

#include <irrlicht.h>

#include "app/EditorState.h"
#include "app/MessageKeyTable.h"
#include "app/PathText.h"
#include "app/Translate.h"

namespace sorn {

namespace {

// SceneRefusal::None is no refusal and has no message.
constexpr MessageKey<SceneRefusal> kRefusalKeys[] = {
    {SceneRefusal::None, nullptr},
    {SceneRefusal::Unreadable, L"open_failed_unreadable"},
    {SceneRefusal::TooLarge, L"open_failed_too_large"},
    {SceneRefusal::NotAScene, L"open_failed_not_a_scene"},
    {SceneRefusal::NestedTooDeeply, L"open_failed_too_deep"},
    {SceneRefusal::ValueOutOfBounds, L"open_failed_out_of_bounds"},
    {SceneRefusal::Missing, L"open_failed_missing"},
    {SceneRefusal::NotAFile, L"open_failed_not_a_file"},
    {SceneRefusal::NoAccess, L"open_failed_no_access"},
    {SceneRefusal::NoLoader, L"open_failed_no_loader"},
    {SceneRefusal::NothingLoaded, L"open_failed_nothing_loaded"},
    {SceneRefusal::NotAnArchive, L"open_failed_not_an_archive"},
};

} // namespace

const wchar_t* openRefusalKey(SceneRefusal refusal) {
    return messageKeyFor(kRefusalKeys, refusal, L"open_failed_unreadable");
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
        text += widePath(detail);
    }
    editor.device->getGUIEnvironment()->addMessageBox(translate(L"open_failed_caption").c_str(), text.c_str(),
                                                      true, irr::gui::EMBF_OK, nullptr, -1);
}

} // namespace sorn

namespace sorn {

void showOpenRefusal(const std::string& path, const FileRefusal& refusal) {
    showOpenRefusal(path, refusal.refusal, refusal.detail);
}

} // namespace sorn
