#pragma once
// The few calls the editor makes to the desktop it runs on.
#include <irrlicht.h>
#include <string>

namespace sorn {
namespace platform {

// Gives the device's window the program's icon (the image file at iconPath,
// sent as a 32 x 32 icon). Does nothing without a window.
void setWindowIcon(irr::IrrlichtDevice* device, const irr::core::stringw& iconPath);

// Opens a file in the user's browser. The path is handed over as one argument
// of a started program, never through a shell. False if nothing could be
// started (no such program); whether the program then succeeds is known
// later, from browserOutcome.
bool openInBrowser(const std::string& path);
// What became of the last program openInBrowser started, asked without
// waiting for it: still running, ended with success, or ended with a failure.
enum class BrowserOutcome { Nothing, Running, Opened, Failed };
BrowserOutcome browserOutcome();

// From now on a click on the window's close button is taken away from the
// engine (which would end the program at once) and kept as a request that
// takeCloseRequest reports, so the editor can ask about unsaved work first.
void interceptCloseButton(irr::IrrlichtDevice* device);
// Whether the close button was clicked since the last call.
bool takeCloseRequest();

// The system clipboard: the X11 CLIPBOARD selection, served and read through
// an X connection and window of the editor's own (the engine's clipboard
// answers a paste with what the clipboard held before, and offers its text
// under a malformed target list). Until useSystemClipboard found a window
// (the null driver, tests), the clipboard is a text kept in the process.
void useSystemClipboard(irr::IrrlichtDevice* device);
// Makes text (UTF-8) the clipboard's content, offered as UTF-8 and Latin-1.
void setClipboardText(const std::string& text);
// The clipboard's text as UTF-8 (Latin-1 offers converted), waiting for the
// program that holds it at most about two seconds; empty when there is none.
std::string clipboardText();
// Whether any program (this one included) holds the clipboard.
bool clipboardHeld();
// Answers other programs asking for the clipboard's text; called every pass
// of the frame loop.
void serveClipboard();
// Back to the text kept in the process, empty (a fresh run).
void resetClipboard();

// The program used by openInBrowser ("xdg-open"; tests point it elsewhere).
void setBrowserCommand(const std::string& command);

// Writes the window's caption. Beside the engine's own call, which leaves
// the caption as it was when the text does not fit the C library's
// character set (a file name past ASCII in the "C" locale), the window gets
// it as UTF-8 (_NET_WM_NAME and WM_NAME), which window managers show.
void setWindowCaption(irr::IrrlichtDevice* device, const irr::core::stringw& caption);

} // namespace platform
} // namespace sorn
