#pragma once
// Images named by the user in the tool box (texture, sky faces, terrain and
// sky-dome images). Every such path goes through here before the video driver
// is asked, so that what the driver may not be handed is refused in one place.
#include <irrlicht.h>

#include <string>

namespace sorn {

// The texture for a path typed or chosen by the user, or null. An empty path
// gives null. The file goes through the quarantine first: a path that names
// something on disk other than a regular file (a folder, a FIFO, a device such
// as /dev/zero) is refused without asking the driver, and an image on which
// the engine's loaders crash, run out of memory or hang is refused too, with
// a message box saying which file and why. So is a file that is not there
// (on disk or in a mounted archive), cannot be read, is of a kind no image
// loader takes, or gives no texture.
irr::video::ITexture* loadUserTexture(const std::string& path);

} // namespace sorn
