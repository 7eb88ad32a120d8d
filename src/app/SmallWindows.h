#pragma once
#include "app/AtomicFile.h"

namespace sorn {

// The settings window (interface language, stored in config.xml as "langage").
void openSettingsWindow();
void settingsOk();
void closeSettingsWindow();

// The About window with the caption, text and logo.
void openAboutWindow();
void aboutOk();

// The language key that says why a file could not be written (the settings
// window's and the scene saves' messages).
const wchar_t* failureReasonKey(WriteFailure failure);

} // namespace sorn
