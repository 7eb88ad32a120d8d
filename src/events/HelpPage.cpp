#include "events/HelpPage.h"

#include "app/EditorState.h"
#include "app/PathText.h"
#include "app/Platform.h"
#include "app/Translate.h"
#include "events/MenuCommands.h"

namespace sorn {

namespace {

// Whether the opener started for the help page may still fail.
bool helpOpenerWatched = false;

void showHelpPagePath() {
    if (!editor.device)
        return;
    irr::core::stringw text = translate(L"message_help_no_browser");
    text += L"\n";
    text += helpPagePath();
    editor.device->getGUIEnvironment()->addMessageBox(translate(L"message_help_caption").c_str(), text.c_str(),
                                                      true, irr::gui::EMBF_OK, nullptr, -1);
}

} // namespace

void openHelpPage() {
    helpOpenerWatched = platform::openInBrowser(narrowPath(helpPagePath()));
    if (!helpOpenerWatched)
        showHelpPagePath();
}

void tellHelpPageFailure() {
    if (!helpOpenerWatched)
        return;
    const platform::BrowserOutcome outcome = platform::browserOutcome();
    if (outcome == platform::BrowserOutcome::Running)
        return;
    helpOpenerWatched = false;
    if (outcome == platform::BrowserOutcome::Failed)
        showHelpPagePath();
}

} // namespace sorn
