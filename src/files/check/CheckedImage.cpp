#include "files/check/CheckedImage.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <new>
#include <vector>

#include <irrlicht.h>

#include "files/check/DescriptorIo.h"

namespace sorn {

namespace {

using namespace irr;

constexpr char kMagic[4] = {'S', 'R', 'N', 'I'};
// Each side is bounded before the sizes are multiplied, so that the product
// cannot wrap round to a size that matches the file.
constexpr std::uint32_t kMaxSide = 1u << 16;
// Images up to this size (with the header) are copied into one buffer kept
// for the check's life and written from there. The kernel's first reach
// into a user page costs some microseconds on a virtual machine, so writing
// the decoder's buffer, which lies somewhere new for each image, cost more
// than decoding it: 1.3 ms for a 512 x 512 texture, against 0.05 ms for the
// copy and 0.1 ms for the write from the kept buffer.
constexpr std::uint64_t kStagingBytes = (2 << 20) + 4096;

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
    bool written = false;
    if (pixels && sizeof header + total <= kStagingBytes) {
        // Through the staging copy: one write of pages the system has seen before.
        static std::vector<unsigned char> staging(kStagingBytes);
        std::memcpy(staging.data(), &header, sizeof header);
        std::memcpy(staging.data() + sizeof header, pixels, total);
        written = writeFully(fd, staging.data(), sizeof header + total);
    } else if (pixels) {
        written = writeFully(fd, &header, sizeof header) && writeFully(fd, pixels, total);
    }
    image->unlock();
    return written;
}

namespace {

// The header of what fd holds and its pixels' size, when fd holds exactly
// what writeCheckedImage writes.
bool checkedImageLayout(int fd, Header& header, std::uint64_t& total) {
    struct stat status {};
    if (fd < 0 || fstat(fd, &status) != 0 || status.st_size < static_cast<off_t>(sizeof header) ||
        readFullyAt(fd, reinterpret_cast<unsigned char*>(&header), sizeof header, 0) != sizeof header ||
        std::memcmp(header.magic, kMagic, sizeof kMagic) != 0)
        return false;
    if (header.width > kMaxSide || header.height > kMaxSide)
        return false;
    const std::uint64_t pixelBytes = bytesPerPixel(header.format);
    total = pixelBytes * header.width * header.height;
    return pixelBytes != 0 && total != 0 && total <= kMaxCheckedImageBytes &&
           static_cast<std::uint64_t>(status.st_size) == sizeof header + total;
}

// The pixels of fd mapped into this process, or null. The file is sealed
// against shrinking first: the check that wrote it may still hold it, and a
// mapping of a file cut short under it faults on its first read past the end.
// A file that cannot be sealed (not a memory file made for sealing, or sealed
// by its writer against further seals) is not mapped.
unsigned char* mapCheckedImage(int fd, const Header& header, std::uint64_t total) {
    struct stat status {};
    if (fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK) != 0 || fstat(fd, &status) != 0 ||
        static_cast<std::uint64_t>(status.st_size) != sizeof header + total)
        return nullptr;
    // Private: a write to the image (none is made) would stay this process's.
    void* mapped = mmap(nullptr, sizeof header + total, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
    return mapped == MAP_FAILED ? nullptr : static_cast<unsigned char*>(mapped);
}

} // namespace

video::IImage* readCheckedImage(int fd, video::IVideoDriver* driver) {
    Header header{};
    std::uint64_t total = 0;
    if (!driver || !checkedImageLayout(fd, header, total))
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

bool useCheckedImage(int fd, video::IVideoDriver* driver, const std::function<void(video::IImage*)>& use) {
    Header header{};
    std::uint64_t total = 0;
    if (!driver || !checkedImageLayout(fd, header, total))
        return false;
    unsigned char* mapped = mapCheckedImage(fd, header, total);
    video::IImage* image = nullptr;
    if (mapped)
        image = driver->createImageFromData(static_cast<video::ECOLOR_FORMAT>(header.format),
                                            core::dimension2du(header.width, header.height), mapped + sizeof header,
                                            true, false);
    else
        image = readCheckedImage(fd, driver);
    if (image) {
        use(image);
        image->drop();
    }
    if (mapped)
        munmap(mapped, sizeof header + total);
    return image != nullptr;
}

} // namespace sorn
