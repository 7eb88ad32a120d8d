#include "files/ArchiveCheck.h"

#include <vector>

#include "files/OpenFile.h"

namespace sorn {

namespace {

using irr::io::IReadFile;

// Little-endian fields read at absolute offsets of the file.
class ArchiveBytes {
public:
    explicit ArchiveBytes(IReadFile* file) : file_(file), size_(file->getSize()) {}

    long size() const { return size_; }

    bool read(long offset, void* data, long count) {
        if (offset < 0 || count < 0 || offset > size_ - count || !file_->seek(offset))
            return false;
        return file_->read(data, static_cast<irr::u32>(count)) == count;
    }

    bool u16At(long offset, unsigned long& value) { return numberAt(offset, 2, value); }
    bool u32At(long offset, unsigned long& value) { return numberAt(offset, 4, value); }

    // Whether a zero byte follows offset before the end of the file; after
    // is then the offset just past it.
    bool zeroFollows(long offset, long& after) {
        unsigned char block[4096];
        while (offset < size_) {
            long count = size_ - offset < 4096 ? size_ - offset : 4096;
            if (!read(offset, block, count))
                return false;
            for (long i = 0; i < count; ++i)
                if (block[i] == 0) {
                    after = offset + i + 1;
                    return true;
                }
            offset += count;
        }
        return false;
    }

private:
    bool numberAt(long offset, int count, unsigned long& value) {
        unsigned char bytes[4] = {};
        if (!read(offset, bytes, count))
            return false;
        value = 0;
        for (int i = count - 1; i >= 0; --i)
            value = (value << 8) | bytes[i];
        return true;
    }

    IReadFile* file_;
    long size_;
};

constexpr unsigned long kZipLocalSignature = 0x04034b50;
constexpr unsigned long kZipCentralSignature = 0x02014b50;
constexpr unsigned long kZipEncrypted = 0x1;
constexpr unsigned long kZipSizesInDescriptor = 0x8;
constexpr unsigned long kZipLocalHeaderSize = 30;
constexpr unsigned long kZipCentralHeaderSize = 46;
constexpr unsigned long kZipEndSize = 22;
// The engine reads name and extra field lengths as signed 16-bit numbers.
constexpr unsigned long kLengthLimit = 0x8000;

bool entrySizesFit(ArchiveBytes& bytes, long dataStart, unsigned long compressed,
                   unsigned long uncompressed) {
    return compressed <= static_cast<unsigned long>(bytes.size() - dataStart) &&
           uncompressed <= kMaxOpenFileSize;
}

// The local header at offset: its name and extra field fit, and it is not
// encrypted (the editor has no password to give). dataStart is where its data begins.
bool localHeaderFits(ArchiveBytes& bytes, long offset, unsigned long& flags, long& dataStart) {
    unsigned long signature = 0, nameLength = 0, extraLength = 0;
    if (!bytes.u32At(offset, signature) || signature != kZipLocalSignature ||
        !bytes.u16At(offset + 6, flags) || !bytes.u16At(offset + 26, nameLength) ||
        !bytes.u16At(offset + 28, extraLength))
        return false;
    if (nameLength >= kLengthLimit || extraLength >= kLengthLimit || (flags & kZipEncrypted))
        return false;
    dataStart = offset + static_cast<long>(kZipLocalHeaderSize + nameLength + extraLength);
    return dataStart <= bytes.size();
}

// Entries whose sizes sit in a data descriptor are found through the central
// directory; every one must lead to a sound local header and data inside the file.
bool centralDirectoryFits(ArchiveBytes& bytes) {
    // The end record sits in the last 22 bytes plus at most a 64 KiB comment.
    const long tailSize = bytes.size() < 65557 ? bytes.size() : 65557;
    const long tailStart = bytes.size() - tailSize;
    std::vector<unsigned char> tail(static_cast<size_t>(tailSize));
    if (tailSize < static_cast<long>(kZipEndSize) || !bytes.read(tailStart, tail.data(), tailSize))
        return false;
    long end = -1;
    for (long at = tailSize - static_cast<long>(kZipEndSize); at >= 0 && end < 0; --at)
        if (tail[at] == 'P' && tail[at + 1] == 'K' && tail[at + 2] == 5 && tail[at + 3] == 6)
            end = tailStart + at;
    unsigned long signature = 0;
    unsigned long directory = 0;
    if (end < 0 || !bytes.u32At(end + 16, directory))
        return false;
    // The directory comes before its end record; the reader follows the
    // offset wherever it points and trusts the entry it finds there, even one
    // the end of the file cuts short.
    if (directory > static_cast<unsigned long>(end))
        return false;
    long offset = static_cast<long>(directory);
    while (offset < end) {
        if (!bytes.u32At(offset, signature))
            return false;
        if (signature != kZipCentralSignature)
            break;
        unsigned long compressed = 0, uncompressed = 0, nameLength = 0, extraLength = 0,
                      commentLength = 0, local = 0, flags = 0;
        if (!bytes.u32At(offset + 20, compressed) || !bytes.u32At(offset + 24, uncompressed) ||
            !bytes.u16At(offset + 28, nameLength) || !bytes.u16At(offset + 30, extraLength) ||
            !bytes.u16At(offset + 32, commentLength) || !bytes.u32At(offset + 42, local))
            return false;
        if (nameLength >= kLengthLimit || extraLength >= kLengthLimit || commentLength >= kLengthLimit)
            return false;
        long dataStart = 0;
        if (!localHeaderFits(bytes, static_cast<long>(local), flags, dataStart) ||
            !entrySizesFit(bytes, dataStart, compressed, uncompressed))
            return false;
        // The reader seeks to the next entry; a seek past the directory would
        // fail and leave it reading the same entries again for ever.
        offset += static_cast<long>(kZipCentralHeaderSize + nameLength + extraLength + commentLength);
        if (offset > end)
            return false;
    }
    return true;
}

bool zipFits(ArchiveBytes& bytes) {
    long offset = 0;
    unsigned long signature = 0;
    while (bytes.u32At(offset, signature) && signature == kZipLocalSignature) {
        unsigned long flags = 0, compressed = 0, uncompressed = 0;
        long dataStart = 0;
        if (!localHeaderFits(bytes, offset, flags, dataStart))
            return false;
        if (flags & kZipSizesInDescriptor)
            return centralDirectoryFits(bytes);
        if (!bytes.u32At(offset + 18, compressed) || !bytes.u32At(offset + 22, uncompressed) ||
            !entrySizesFit(bytes, dataStart, compressed, uncompressed))
            return false;
        offset = dataStart + static_cast<long>(compressed);
    }
    return true;
}

// A gzip file: deflate method, optional fields that end inside the file, and
// an unpacked size (the last four bytes) the engine can hold.
bool gzipFits(ArchiveBytes& bytes) {
    constexpr unsigned long kExtra = 4, kName = 8, kComment = 16, kHeaderCrc = 2;
    unsigned long method = 0, flags = 0, extraLength = 0, unpacked = 0;
    unsigned char head[2] = {};
    if (!bytes.read(2, head, 2))
        return false;
    method = head[0];
    flags = head[1];
    if (method != 8 || (flags & 0xE0))
        return false;
    long offset = 10;
    if (flags & kExtra) {
        if (!bytes.u16At(offset, extraLength))
            return false;
        offset += 2 + static_cast<long>(extraLength);
    }
    if ((flags & kName) && !bytes.zeroFollows(offset, offset))
        return false;
    if ((flags & kComment) && !bytes.zeroFollows(offset, offset))
        return false;
    if (flags & kHeaderCrc)
        offset += 2;
    return offset <= bytes.size() - 8 && bytes.u32At(bytes.size() - 4, unpacked) &&
           unpacked <= kMaxOpenFileSize;
}

// A Quake pak: the directory and every file it lists lie inside the file.
bool pakFits(ArchiveBytes& bytes) {
    constexpr long kHeaderSize = 12, kEntrySize = 64;
    unsigned long directory = 0, directoryLength = 0;
    if (!bytes.u32At(4, directory) || !bytes.u32At(8, directoryLength))
        return false;
    if (directory < kHeaderSize || directory > static_cast<unsigned long>(bytes.size()) ||
        directoryLength > static_cast<unsigned long>(bytes.size()) - directory)
        return false;
    const long entries = static_cast<long>(directoryLength) / kEntrySize;
    for (long i = 0; i < entries; ++i) {
        long entry = static_cast<long>(directory) + i * kEntrySize;
        unsigned long offset = 0, length = 0;
        if (!bytes.u32At(entry + 56, offset) || !bytes.u32At(entry + 60, length))
            return false;
        if (offset > static_cast<unsigned long>(bytes.size()) ||
            length > static_cast<unsigned long>(bytes.size()) - offset)
            return false;
    }
    return true;
}

} // namespace

bool isSoundArchive(irr::io::IFileSystem* fileSystem, const std::string& path) {
    IReadFile* file = fileSystem->createAndOpenFile(path.c_str());
    if (!file)
        return false;
    ArchiveBytes bytes(file);
    unsigned char magic[4] = {};
    bool sound = true;
    if (bytes.read(0, magic, 4)) {
        if (magic[0] == 'P' && magic[1] == 'K' && magic[2] == 3 && magic[3] == 4)
            sound = zipFits(bytes);
        else if (magic[0] == 'P' && magic[1] == 'A' && magic[2] == 'C' && magic[3] == 'K')
            sound = pakFits(bytes);
        else if (magic[0] == 0x1F && magic[1] == 0x8B)
            sound = gzipFits(bytes);
    } else if (bytes.read(0, magic, 2) && magic[0] == 0x1F && magic[1] == 0x8B) {
        sound = false; // a gzip header cut short
    }
    file->drop();
    return sound;
}

} // namespace sorn
