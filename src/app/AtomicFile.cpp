#include "app/AtomicFile.h"

#include <cerrno>
#include <cstdint>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace sorn {

namespace {

ssize_t systemWrite(int fd, const void* data, size_t size, off_t offset) {
    return offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, offset);
}

WriteCall writeCall = systemWrite;

// Long names are cut so that the temporary name stays within the file
// system's limit on a name (255 bytes).
constexpr size_t kMaxNameInTemporary = 200;

std::string randomSuffix() {
    static std::mt19937_64 random([] {
        std::random_device device;
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        return (static_cast<unsigned long long>(device()) << 32) ^ static_cast<unsigned long long>(now) ^
               static_cast<unsigned long long>(::getpid());
    }());
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix(8, 'x');
    for (char& c : suffix)
        c = letters[random() % (sizeof letters - 1)];
    return suffix;
}

// Makes a completed rename durable; the replacement has happened either way.
void flushFolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::fsync(fd) != 0) {
        // Some file systems cannot flush a folder; the rename stands.
    }
    ::close(fd);
}

} // namespace

WriteFailure writeFailureFor(int error) {
    switch (error) {
    case 0:
        return WriteFailure::None;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return WriteFailure::ReadOnly;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return WriteFailure::DiskFull;
    case ENOENT:
    case ENOTDIR:
        return WriteFailure::MissingFolder;
    case EISDIR:
    case ESPIPE:
        return WriteFailure::NotAFile;
    default:
        return WriteFailure::Other;
    }
}

void setWriteCallForTesting(WriteCall call) {
    writeCall = call ? call : systemWrite;
}

AtomicFile::AtomicFile(const std::string& targetPath) : target_(targetPath) {
    struct stat link {};
    if (::lstat(targetPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* real = ::realpath(targetPath.c_str(), nullptr)) {
            target_ = real;
            std::free(real);
        }
    }
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
}

bool AtomicFile::fail(int error) {
    if (!error_)
        error_ = error ? error : EIO;
    return false;
}

bool AtomicFile::create() {
    if (fd_ >= 0 || failed())
        return false;
    struct stat status {};
    if (::stat(target_.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            return fail(EISDIR);
        if (!S_ISREG(status.st_mode))
            return fail(ESPIPE);
        // A file the user made read-only stays as it is, although its
        // folder would let a rename replace it.
        if (::access(target_.c_str(), W_OK) != 0)
            return fail(errno);
        targetExists_ = true;
        targetMode_ = status.st_mode;
        targetOwner_ = status.st_uid;
        targetGroup_ = status.st_gid;
    } else if (errno != ENOENT) {
        return fail(errno);
    }

    const size_t slash = target_.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    if (name.size() > kMaxNameInTemporary)
        name.resize(kMaxNameInTemporary);
    // Readable by the owner only while it is written when it is to replace a
    // file; a new file gets the usual rights (the process's umask applies).
    const mode_t mode = targetExists_ ? 0600 : 0666;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = folder + "." + name + "." + randomSuffix() + ".tmp";
        const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            fd_ = fd;
            temporary_ = candidate;
            return true;
        }
        if (errno != EEXIST)
            return fail(errno);
    }
    return fail(EEXIST);
}

bool AtomicFile::writeAll(const unsigned char* data, size_t size, off_t offset) {
    if (failed())
        return false;
    if (fd_ < 0)
        return fail(EBADF);
    flushed_ = false;
    while (size > 0) {
        const ssize_t put = writeCall(fd_, data, size, offset);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return fail(errno);
        if (put == 0)
            return fail(ENOSPC);
        data += put;
        size -= static_cast<size_t>(put);
        if (offset >= 0)
            offset += put;
    }
    return true;
}

bool AtomicFile::write(const void* data, size_t size) {
    return writeAll(static_cast<const unsigned char*>(data), size, -1);
}

bool AtomicFile::writeAt(off_t offset, const void* data, size_t size) {
    return offset >= 0 ? writeAll(static_cast<const unsigned char*>(data), size, offset) : fail(EINVAL);
}

bool AtomicFile::flush() {
    if (failed())
        return false;
    if (fd_ < 0)
        return fail(EBADF);
    if (::fsync(fd_) != 0)
        return fail(errno);
    flushed_ = true;
    return true;
}

bool AtomicFile::commit() {
    if (failed() || fd_ < 0)
        return fail(EBADF);
    if (flushToDisk_ && !flushed_ && !flush())
        return false;
    if (targetExists_) {
        if (targetOwner_ != ::geteuid() || targetGroup_ != ::getegid()) {
            if (::fchown(fd_, targetOwner_, targetGroup_) != 0) {
                // Only the superuser may give a file away; it stays the user's.
            }
        }
        if (::fchmod(fd_, targetMode_ & 07777) != 0)
            return fail(errno);
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        return fail(errno);
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0)
        return fail(errno);
    temporary_.clear();
    if (flushToDisk_)
        flushFolderOf(target_);
    return true;
}

AtomicWriteFile::AtomicWriteFile(AtomicFile& file, const irr::io::path& name) : file_(file), name_(name) {
    block_.reserve(BlockSize);
}

AtomicWriteFile::~AtomicWriteFile() {
    writeBlock();
}

bool AtomicWriteFile::writeBlock() {
    const bool written = block_.empty() || file_.write(block_.data(), block_.size());
    block_.clear();
    return written;
}

void AtomicWriteFile::mendSignExtendedCharacters(unsigned char* bytes, size_t size) {
    if (written_ == 0 && size >= 4 && bytes[0] == 0xFF && bytes[1] == 0xFE && bytes[2] == 0 && bytes[3] == 0)
        utf32_ = true;
    if (utf32_) {
        // Units start at multiples of four from the file's start.
        for (size_t i = (4 - written_ % 4) % 4; i + 4 <= size; i += 4)
            if (bytes[i + 3] == 0xFF && bytes[i + 2] == 0xFF && bytes[i + 1] == 0xFF && bytes[i] >= 0x80)
                bytes[i + 1] = bytes[i + 2] = bytes[i + 3] = 0;
    }
    written_ += size;
}

irr::s32 AtomicWriteFile::write(const void* buffer, irr::u32 sizeToWrite) {
    if (file_.failed())
        return 0;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    if (block_.size() + sizeToWrite > BlockSize && !writeBlock())
        return 0;
    if (sizeToWrite >= BlockSize) {
        std::vector<unsigned char> mended(bytes, bytes + sizeToWrite);
        mendSignExtendedCharacters(mended.data(), mended.size());
        if (!file_.write(mended.data(), mended.size()))
            return 0;
    } else {
        const size_t at = block_.size();
        block_.insert(block_.end(), bytes, bytes + sizeToWrite);
        mendSignExtendedCharacters(block_.data() + at, sizeToWrite);
    }
    return sizeToWrite > static_cast<irr::u32>(INT32_MAX) ? INT32_MAX : static_cast<irr::s32>(sizeToWrite);
}

bool AtomicWriteFile::seek(long finalPos, bool relativeMovement) {
    const long long moved = relativeMovement ? static_cast<long long>(written_) + finalPos : finalPos;
    written_ = moved < 0 ? 0 : static_cast<unsigned long long>(moved);
    return writeBlock() && file_.fd() >= 0 &&
           ::lseek(file_.fd(), finalPos, relativeMovement ? SEEK_CUR : SEEK_SET) >= 0;
}

long AtomicWriteFile::getPos() const {
    if (file_.fd() < 0)
        return -1;
    const off_t written = ::lseek(file_.fd(), 0, SEEK_CUR);
    return written < 0 ? -1 : static_cast<long>(written) + static_cast<long>(block_.size());
}

const irr::io::path& AtomicWriteFile::getFileName() const {
    return name_;
}

} // namespace sorn
