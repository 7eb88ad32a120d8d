#include "support/TestImages.h"

#include <fstream>

#include "app/EditorState.h"
#include "app/PathText.h"

using namespace irr;

namespace sorn {
namespace test {

namespace {

// `bytes` is 2 or 4.
void putBigEndian(std::ofstream& out, u32 value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The engine reads Photoshop files but cannot write them.
bool writePsd(const std::string& path, video::SColor colour, u32 side) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write("8BPS", 4);
    putBigEndian(out, 1, 2);      // version
    putBigEndian(out, 0, 4);      // reserved (six bytes)
    putBigEndian(out, 0, 2);
    putBigEndian(out, 3, 2);      // channels
    putBigEndian(out, side, 4);   // height
    putBigEndian(out, side, 4);   // width
    putBigEndian(out, 8, 2);      // bits per channel
    putBigEndian(out, 3, 2);      // RGB
    putBigEndian(out, 0, 4);      // colour mode data
    putBigEndian(out, 0, 4);      // image resources
    putBigEndian(out, 0, 4);      // layers and masks
    putBigEndian(out, 0, 2);      // raw planes follow
    for (u32 channel : {colour.getRed(), colour.getGreen(), colour.getBlue()})
        for (u32 i = 0; i < side * side; ++i)
            out.put(static_cast<char>(channel));
    return static_cast<bool>(out);
}

} // namespace

bool writeTestImage(const std::string& path, video::SColor colour) {
    const u32 side = 4;
    if (fileExtension(path) == ".psd")
        return writePsd(path, colour, side);
    if (!editor.device)
        return false;
    video::IVideoDriver* driver = editor.device->getVideoDriver();
    video::IImage* image = driver->createImage(video::ECF_R8G8B8, core::dimension2du(side, side));
    image->fill(colour);
    const bool written = driver->writeImageToFile(image, path.c_str());
    image->drop();
    return written;
}

} // namespace test
} // namespace sorn
