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
// of a started program, never through a shell. False if nothing could be started.
bool openInBrowser(const std::string& path);

// From now on a click on the window's close button is taken away from the
// engine (which would end the program at once) and kept as a request that
// takeCloseRequest reports, so the editor can ask about unsaved work first.
void interceptCloseButton(irr::IrrlichtDevice* device);
// Whether the close button was clicked since the last call.
bool takeCloseRequest();

// The program used by openInBrowser ("xdg-open"; tests point it elsewhere).
void setBrowserCommand(const std::string& command);

} // namespace platform
} // namespace sorn
