#pragma once

#include "app/AtomicFile.h"

namespace sorn {

// The settings window (interface language, stored in config.xml as "langage").
void openSettingsWindow();
void settingsOk();
void closeSettingsWindow();
// The language key that says why config.xml could not be written.
const wchar_t* settingsFailureReasonKey(WriteFailure failure);

// The About window with the caption, text and logo.
void openAboutWindow();
void aboutOk();

} // namespace sorn
