#pragma once
// The image a check decoded, handed back to the editor. A check of an image
// decodes it in full under its limits; the editor then makes its texture
// from those pixels instead of decoding the same file a second time.
//
// What it guarantees: the image the editor uses is exactly the one that was
// checked. The pixels come from the checked process's decode, not from the
// file again, so a file changed or replaced between the check and the open
// cannot reach the engine's loaders unchecked: there is no window between
// check and use. That holds for the images handed back; one that is not (larger
// than kMaxCheckedImageBytes, inside an archive, or a hand-back the editor
// refuses) is decoded by the engine from the bytes the editor hashed for its
// verdict (files/CheckedBytesArchive), or, beyond what an open keeps and
// inside archives, from the file again.
//
// Why it is worth its size: the check's decode is the open's decode. Opening
// the engine's sample scene with the checks cost 138 % more than without them
// when the editor decoded the images again; what they cost with the images
// handed back is in doc/performance.md.
//
// The check writes a header ("SRNI", colour format, width, height) and the
// pixel rows without padding. The editor trusts none of it: the header must
// name a format the engine's image loaders produce and sizes that match the
// bytes that follow, or nothing is made of it.
#include <cstdint>
#include <functional>

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

// In the editor: hands use the image in fd for the time of the call, its
// pixels mapped from fd rather than copied when fd is a memory file that
// takes a seal against shrinking (which it keeps), else read as
// readCheckedImage reads them. The image must not be kept past the call.
// False, without calling use, when fd does not hold exactly what
// writeCheckedImage writes.
bool useCheckedImage(int fd, irr::video::IVideoDriver* driver,
                     const std::function<void(irr::video::IImage*)>& use);

} // namespace sorn
