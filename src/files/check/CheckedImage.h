#pragma once
// The image a check decoded, handed back to the editor. A check of an image
// decodes it in full under its limits; the editor then makes its texture
// from those pixels instead of decoding the same file a second time, so that
// checking a scene's textures costs little more than loading them did.
//
// The check writes a header ("SRNI", colour format, width, height) and the
// pixel rows without padding. The editor trusts none of it: the header must
// name a format the engine's image loaders produce and sizes that match the
// bytes that follow, or nothing is made of it.
#include <cstdint>

namespace irr {
namespace video {
class IImage;
class IVideoDriver;
} // namespace video
} // namespace irr

namespace sorn {

// Images larger than this are not handed back: the editor decodes them itself.
constexpr std::uint64_t kMaxCheckedImageBytes = 256ull << 20;

// In the check: writes the image to fd (a fresh, empty file). False when it
// is not written (a format or size not handed back, or a failed write).
bool writeCheckedImage(int fd, irr::video::IImage* image);

// In the editor: the image read back from fd, or null when fd does not hold
// exactly what writeCheckedImage writes. The caller drops the image.
irr::video::IImage* readCheckedImage(int fd, irr::video::IVideoDriver* driver);

} // namespace sorn
