#pragma once
// Replacing a file so that a failure never costs the user the file they had.
// The new content goes into a temporary file created beside the target under
// a name of its own (never an existing file, never through a link); every
// write is checked; the data is flushed to disk; only then does a rename put
// it in place of the target. Until that rename the target is untouched, and
// whatever fails, the temporary file is removed again.
#include <irrlicht.h>

#include <string>
#include <vector>
#include <sys/types.h>

namespace sorn {

// Why a replacement failed, in the terms a user can act on.
enum class WriteFailure {
    None,
    ReadOnly,      // the file or its folder may not be written
    DiskFull,      // no space left (or a file size limit reached)
    MissingFolder, // the folder does not exist
    NotAFile,      // a folder or another non-file stands at the target's name
    Other,
};

WriteFailure writeFailureFor(int error);

class AtomicFile {
public:
    // The file to replace. A link there is followed: the file it names is
    // replaced and the link stays.
    explicit AtomicFile(const std::string& targetPath);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file (open for reading and writing). Fails early
    // when the target cannot be replaced: not a regular file, or not writable.
    bool create();
    // Writes all of data at the current position, or records the failure.
    bool write(const void* data, size_t size);
    // Writes all of data at a given offset without moving the position.
    bool writeAt(off_t offset, const void* data, size_t size);
    // Flushes the written data to disk.
    bool flush();
    // For a file that may be lost in a crash (a cache, read back guarded and
    // made again): commit renames without waiting for the disk.
    void skipFlushToDisk() { flushToDisk_ = false; }
    // Flushes, gives the temporary file the access rights of the file it
    // replaces and renames it over the target. Once it returns true the
    // temporary file is the target.
    bool commit();

    bool failed() const { return error_ != 0; }
    int error() const { return error_; }
    WriteFailure failure() const { return failed() ? writeFailureFor(error_) : WriteFailure::None; }
    int fd() const { return fd_; }
    const std::string& targetPath() const { return target_; }
    const std::string& temporaryPath() const { return temporary_; }

private:
    bool fail(int error);
    bool writeAll(const unsigned char* data, size_t size, off_t offset);

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    int error_ = 0;
    bool targetExists_ = false;
    bool flushed_ = false;
    bool flushToDisk_ = true;
    mode_t targetMode_ = 0;
    uid_t targetOwner_ = 0;
    gid_t targetGroup_ = 0;
};

// The engine's write-file interface over an AtomicFile, so that the engine's
// own writers (scene writer, XML writer), which ignore what a write returns,
// write into the temporary file and every short write is still recorded.
// The engine writes a scene in pieces of a few characters; they are gathered
// into blocks, and the last block is written when the write file is dropped.
class AtomicWriteFile : public irr::io::IWriteFile {
public:
    // name: the file name the engine sees (scene paths are written relative to its folder).
    AtomicWriteFile(AtomicFile& file, const irr::io::path& name);
    ~AtomicWriteFile() override;

    irr::s32 write(const void* buffer, irr::u32 sizeToWrite) override;
    bool seek(long finalPos, bool relativeMovement = false) override;
    long getPos() const override;
    const irr::io::path& getFileName() const override;

    static constexpr size_t BlockSize = 64 * 1024;

private:
    bool writeBlock();
    void mendSignExtendedCharacters(unsigned char* bytes, size_t size);

    AtomicFile& file_;
    irr::io::path name_;
    std::vector<unsigned char> block_;
    // The engine writes UTF-32 (a byte-order mark first) and widens an 8-bit
    // text such as a node name with sign extension: a byte 0xE9 comes out as
    // 0xFFFFFFE9, no character at all. Such units are written as the
    // character of their byte.
    bool utf32_ = false;
    unsigned long long written_ = 0;
};

// The system call behind every write: offset -1 writes at the current
// position. Tests replace it to simulate a disk that fills up; null restores
// the real one.
using WriteCall = ssize_t (*)(int fd, const void* data, size_t size, off_t offset);
void setWriteCallForTesting(WriteCall call);

} // namespace sorn
