#include "app/SmallWindows.h"

#include "app/EditorState.h"
#include "app/MessageKeyTable.h"
#include "app/TextConvert.h"
#include "app/Translate.h"

using namespace irr;

namespace sorn {

namespace {

void removeElement(s32 id) {
    if (gui::IGUIElement* element = findElement(id))
        element->remove();
}

// The language keys that say why config.xml could not be written.
constexpr MessageKey<WriteFailure> kFailureReasonKeys[] = {
    {WriteFailure::ReadOnly, L"window_settings_error_read_only"},
    {WriteFailure::DiskFull, L"window_settings_error_disk_full"},
    {WriteFailure::MissingFolder, L"window_settings_error_missing_folder"},
    {WriteFailure::NotAFile, L"window_settings_error_not_a_file"},
};

core::stringw logoPath() {
    return mediaPath(L"sorn.png");
}

} // namespace

const wchar_t* failureReasonKey(WriteFailure failure) {
    return messageKeyFor(kFailureReasonKeys, failure, L"window_settings_error_other");
}

void openSettingsWindow() {
    if (!editor.device)
        return;
    removeElement(ids::SettingsWindow);
    gui::IGUIEnvironment* gui = editor.device->getGUIEnvironment();
    gui::IGUIWindow* window = gui->addWindow(core::rect<s32>(200, 50, 500, 350), false,
                                             translate(L"window_settings_caption").c_str(), nullptr,
                                             ids::SettingsWindow);
    gui->addStaticText(L"Langage:", core::rect<s32>(20, 30, 70, 48), false, false, window, -1, false);
    gui::IGUIComboBox* languages =
        gui->addComboBox(core::rect<s32>(70, 28, 210, 48), window, ids::SettingsLanguageCombo);
    languages->addItem(L"English", 0);
    languages->addItem(L"French", 0);
    gui->addButton(core::rect<s32>(130, 269, 205, 290), window, ids::SettingsOk,
                   translate(L"action_ok").c_str());
    gui->addButton(core::rect<s32>(215, 269, 290, 290), window, ids::SettingsCancel,
                   translate(L"action_cancel").c_str());

    core::stringw language = editor.config.get(L"langage");
    if (language == L"en")
        languages->setSelected(0);
    if (language == L"fr")
        languages->setSelected(1);
}

void settingsOk() {
    if (!editor.device)
        return;
    if (gui::IGUIElement* combo = findElement(ids::SettingsLanguageCombo)) {
        core::stringw choice = combo->getText();
        const wchar_t* code = choice == L"English" ? L"en" : (choice == L"French" ? L"fr" : nullptr);
        // "langage" for this window and Help, "language" for the next start.
        if (code) {
            editor.config.set(L"langage", code);
            editor.config.set(L"language", code);
        }
    }
    // The choice stays in memory whatever happens, so a later save writes it.
    WriteFailure failure = WriteFailure::None;
    const bool saved = editor.config.save(&failure);
    gui::IGUIEnvironment* gui = editor.device->getGUIEnvironment();
    if (saved) {
        core::stringw text = translate(L"window_settings_save_box_message");
        text += L"\n";
        text += translate(L"window_settings_next_start");
        gui->addMessageBox(translate(L"window_settings_save_box_caption").c_str(), text.c_str(), true,
                           gui::EMBF_OK, nullptr, -1, nullptr);
    } else {
        core::stringw text = translate(L"window_settings_save_failed_message");
        text += L"\n";
        text += translate(failureReasonKey(failure));
        gui->addMessageBox(translate(L"window_settings_save_failed_caption").c_str(), text.c_str(), true,
                           gui::EMBF_OK, nullptr, -1, nullptr);
    }
    closeSettingsWindow();
}

void closeSettingsWindow() {
    removeElement(ids::SettingsWindow);
}

void openAboutWindow() {
    if (!editor.device)
        return;
    removeElement(ids::AboutWindow);
    gui::IGUIEnvironment* gui = editor.device->getGUIEnvironment();
    gui::IGUIWindow* window = gui->addWindow(core::rect<s32>(250, 100, 750, 600), true,
                                             editor.windowTitle.c_str(), nullptr, ids::AboutWindow);
    gui->addStaticText(translate(L"about_text").c_str(), core::rect<s32>(20, 30, 480, 500), false, false,
                       window, -1, false);
    video::ITexture* logo = editor.device->getVideoDriver()->getTexture(narrowPath(logoPath()).c_str());
    gui::IGUIImage* image = gui->addImage(logo, core::position2d<s32>(320, 250), true, window, ids::AboutLogo);
    (void)image;
    gui->addButton(core::rect<s32>(200, 470, 300, 490), window, ids::AboutOk, translate(L"action_ok").c_str());
}

void aboutOk() {
    gui::IGUIElement* window = findElement(ids::AboutWindow);
    if (!window)
        return;
    video::IVideoDriver* driver = editor.device->getVideoDriver();
    if (video::ITexture* logo = driver->findTexture(narrowPath(logoPath()).c_str()))
        driver->removeTexture(logo);
    window->remove();
}

} // namespace sorn
