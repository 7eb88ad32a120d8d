#pragma once
// A fast 64-bit hash of a file's whole content, so that a verdict is tied to
// the bytes that were checked and not to a name, size and time that a
// rewritten file can keep. Four lanes of 8-byte words, each multiplied and
// rotated, then mixed with the length: a few gigabytes a second, so hashing
// a file costs a small part of reading it. It guards against files that
// changed, not against a collision made on purpose.
#include <cstddef>
#include <cstdint>
#include <string>

namespace sorn {

class ContentHash {
public:
    void add(const void* data, size_t size);
    std::uint64_t value() const;

private:
    void addBlock(const unsigned char* block);

    std::uint64_t lanes_[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull,
                               0x85EBCA77C2B2AE63ull};
    unsigned char pending_[32] = {};
    size_t pendingSize_ = 0;
    std::uint64_t length_ = 0;
};

std::uint64_t hashBytes(const void* data, size_t size);

// The hash of the regular file at path and its size as read; false when it is
// no regular file or cannot be read to its end.
bool hashFile(const std::string& path, std::uint64_t& hash, long long& size);
// The same for a file open for reading, read from where it stands to its end.
bool hashOpenFile(int fd, std::uint64_t& hash, long long& size);

// A file's bytes as they were read whole, to be used without reading the
// file again. Their memory goes back to a small store of the process when
// they go (at most 8 MiB is kept there), and the next file read whole takes
// it again: on a virtual machine the first touch of fresh pages costs more
// than reading the file into them.
class FileBytes {
public:
    FileBytes() = default;
    ~FileBytes();
    FileBytes(FileBytes&& other) noexcept;
    FileBytes& operator=(FileBytes&& other) noexcept;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    const unsigned char* data() const { return data_; }
    size_t size() const { return size_; }

    // Room for at least capacity bytes, keeping those held.
    void reserve(size_t capacity);
    unsigned char* end() { return data_ + size_; }
    size_t room() const { return capacity_ - size_; }
    void grow(size_t count) { size_ += count; }
    void clear();

private:
    unsigned char* data_ = nullptr; // left as read: no pass to clear it first
    size_t size_ = 0;
    size_t capacity_ = 0;
};

// Reads the open file from where it stands to its end into bytes and hashes
// them; expectedSize (its size as the system gave it) sizes the first read,
// and a file that grew meanwhile is read to its end all the same, unless it
// grows beyond maxSize: then nothing is kept and it returns false.
bool readAndHashOpenFile(int fd, long long expectedSize, long long maxSize, FileBytes& bytes, std::uint64_t& hash);

} // namespace sorn
