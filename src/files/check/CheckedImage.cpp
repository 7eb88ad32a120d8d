#include "files/check/CheckedImage.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <new>

#include <irrlicht.h>

#include "files/check/DescriptorIo.h"

namespace sorn {

namespace {

using namespace irr;

constexpr char kMagic[4] = {'S', 'R', 'N', 'I'};
// Each side is bounded before the sizes are multiplied, so that the product
// cannot wrap round to a size that matches the file.
constexpr std::uint32_t kMaxSide = 1u << 16;

struct Header {
    char magic[4];
    std::uint32_t format;
    std::uint32_t width;
    std::uint32_t height;
};

// The formats the engine's image loaders make, with their bytes per pixel;
// 0 for any other.
std::uint64_t bytesPerPixel(std::uint32_t format) {
    switch (format) {
    case video::ECF_A1R5G5B5:
    case video::ECF_R5G6B5:
        return 2;
    case video::ECF_R8G8B8:
        return 3;
    case video::ECF_A8R8G8B8:
        return 4;
    default:
        return 0;
    }
}

} // namespace

bool writeCheckedImage(int fd, video::IImage* image) {
    if (fd < 0 || !image)
        return false;
    const core::dimension2du size = image->getDimension();
    const std::uint64_t pixelBytes = bytesPerPixel(image->getColorFormat());
    const std::uint64_t rowBytes = pixelBytes * size.Width;
    const std::uint64_t total = rowBytes * size.Height;
    // Rows are written as the image holds them: only an image without
    // padding between rows is handed back.
    if (pixelBytes == 0 || total == 0 || total > kMaxCheckedImageBytes || image->getPitch() != rowBytes ||
        size.Width > kMaxSide || size.Height > kMaxSide)
        return false;
    Header header;
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.format = static_cast<std::uint32_t>(image->getColorFormat());
    header.width = size.Width;
    header.height = size.Height;
    const void* pixels = image->lock();
    const bool written = pixels && writeFully(fd, &header, sizeof header) && writeFully(fd, pixels, total);
    image->unlock();
    return written;
}

video::IImage* readCheckedImage(int fd, video::IVideoDriver* driver) {
    struct stat status {};
    Header header{};
    if (fd < 0 || !driver || fstat(fd, &status) != 0 || status.st_size < static_cast<off_t>(sizeof header) ||
        readFullyAt(fd, reinterpret_cast<unsigned char*>(&header), sizeof header, 0) != sizeof header || std::memcmp(header.magic, kMagic, sizeof kMagic) != 0)
        return nullptr;
    if (header.width > kMaxSide || header.height > kMaxSide)
        return nullptr;
    const std::uint64_t pixelBytes = bytesPerPixel(header.format);
    const std::uint64_t total = pixelBytes * header.width * header.height;
    if (pixelBytes == 0 || total == 0 || total > kMaxCheckedImageBytes ||
        static_cast<std::uint64_t>(status.st_size) != sizeof header + total)
        return nullptr;
    // The image takes the buffer over and frees it with delete[].
    u8* pixels = new (std::nothrow) u8[total];
    if (!pixels)
        return nullptr;
    if (readFullyAt(fd, pixels, total, sizeof header) != static_cast<ssize_t>(total)) {
        delete[] pixels;
        return nullptr;
    }
    return driver->createImageFromData(static_cast<video::ECOLOR_FORMAT>(header.format),
                                       core::dimension2du(header.width, header.height), pixels, true, true);
}

} // namespace sorn
