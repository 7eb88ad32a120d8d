#pragma once

namespace sorn {

// The settings window (interface language, stored in config.xml as "langage").
void openSettingsWindow();
void settingsOk();
void closeSettingsWindow();

// The About window with the caption, text and logo.
void openAboutWindow();
void aboutOk();

} // namespace sorn
