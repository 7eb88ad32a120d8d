#include "files/ScenePostProcess.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "files/DecimalCommas.h"
#include "app/PathText.h"

namespace sorn {

namespace {

constexpr size_t kBlockSize = 1 << 20;

void trace(const char* text) {
    std::fputs(text, stdout);
    std::fflush(stdout);
}

// Reads until size bytes or the end of the file; -1 on a read error.
ssize_t readFully(int fd, unsigned char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t got = ::read(fd, data + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

bool writeFully(int fd, const unsigned char* data, size_t size) {
    while (size > 0) {
        ssize_t put = ::write(fd, data, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        data += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

// The temporary copy, created only once a comma has to change. Removed again
// unless it is committed over the scene file.
class TemporaryCopy {
public:
    explicit TemporaryCopy(std::string path) : path_(std::move(path)) {}
    ~TemporaryCopy() {
        closeFile();
        if (created_)
            ::unlink(path_.c_str());
    }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    bool create(mode_t mode) {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd_ < 0)
            return false;
        created_ = true;
        // The replacement keeps the access rights the scene file had.
        return ::fchmod(fd_, mode & 07777) == 0;
    }

    bool write(const unsigned char* data, size_t size) {
        if (!writeFully(fd_, data, size))
            return false;
        written_ += size;
        return true;
    }

    // The bytes before the first change, copied as they are from the source.
    bool copyPrefix(int source, size_t size, unsigned char* block) {
        size_t done = 0;
        while (done < size) {
            size_t want = size - done < kBlockSize ? size - done : kBlockSize;
            ssize_t got = ::pread(source, block, want, static_cast<off_t>(done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0 || !write(block, static_cast<size_t>(got)))
                return false;
            done += static_cast<size_t>(got);
        }
        return true;
    }

    size_t written() const { return written_; }

    bool closeFile() {
        if (fd_ < 0)
            return true;
        int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

    // Atomically puts the copy in place of target: a reader sees either the
    // old file or the new one, never a missing or half-written file.
    bool commitOver(const std::string& target) {
        if (!closeFile() || std::rename(path_.c_str(), target.c_str()) != 0)
            return false;
        created_ = false;
        return true;
    }

private:
    std::string path_;
    int fd_ = -1;
    bool created_ = false;
    size_t written_ = 0;
};

class InputFile {
public:
    explicit InputFile(const std::string& path) {
        // Non-blocking so that a FIFO given as the path cannot hang the editor.
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ >= 0 && (::fstat(fd_, &status_) != 0 || !S_ISREG(status_.st_mode))) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~InputFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    mode_t mode() const { return status_.st_mode; }

private:
    int fd_ = -1;
    struct stat status_ {};
};

// A first, quick pass: whether any comma stands between two digits. Blocks
// overlap by a few units so that no comma is missed at a block's edge.
bool mayNeedRewrite(InputFile& input, bool& failed) {
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[kBlockSize]);
    failed = !block;
    if (failed)
        return false;
    TextEncoding encoding;
    const size_t overlap = 3 * 4;
    size_t offset = 0; // file offset of block[0]
    size_t carried = 0;
    for (bool first = true;; first = false) {
        ssize_t got = readFully(input.fd(), block.get() + carried, kBlockSize - carried);
        if (got < 0) {
            failed = true;
            return false;
        }
        size_t size = carried + static_cast<size_t>(got);
        if (first)
            encoding = detectEncoding(block.get(), size);
        if (holdsDigitCommaDigit(block.get(), size, offset, encoding))
            return true;
        if (got == 0 || size < kBlockSize)
            return false;
        carried = overlap;
        std::memmove(block.get(), block.get() + size - carried, carried);
        offset += size - carried;
    }
}

// Streams the source through the rewriter. The temporary copy is made at the
// first comma that changes; a file that needs no change is only read.
bool rewriteDecimalCommas(InputFile& input, TemporaryCopy& copy, size_t& totalRead) {
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[kBlockSize]);
    std::unique_ptr<unsigned char[]> prefixBlock;
    if (!block)
        return false;
    size_t carried = 0;         // bytes kept at the front of block for the next round
    size_t blockFileOffset = 0; // file offset of block[0]
    totalRead = 0;
    bool started = false;
    DecimalCommaRewriter rewriter{TextEncoding{}};
    for (;;) {
        ssize_t got = readFully(input.fd(), block.get() + carried, kBlockSize - carried);
        if (got < 0)
            return false;
        totalRead += static_cast<size_t>(got);
        size_t size = carried + static_cast<size_t>(got);
        bool atEnd = got == 0 || size < kBlockSize;
        if (!started) {
            rewriter = DecimalCommaRewriter(detectEncoding(block.get(), size));
            started = true;
        }
        size_t final = rewriter.feed(block.get(), size);
        if (atEnd) {
            rewriter.finish();
            final = size;
        }
        if (rewriter.changed() && !copy.isOpen()) {
            prefixBlock.reset(new (std::nothrow) unsigned char[kBlockSize]);
            if (!prefixBlock || !copy.create(input.mode()) ||
                !copy.copyPrefix(input.fd(), blockFileOffset, prefixBlock.get()))
                return false;
        }
        if (copy.isOpen() && !copy.write(block.get(), final))
            return false;
        if (atEnd)
            return true;
        carried = size - final;
        std::memmove(block.get(), block.get() + final, carried);
        blockFileOffset += final;
    }
}

} // namespace

irr::core::stringw stripExtension(const irr::core::stringw& path) {
    irr::s32 dot = path.findLast(L'.');
    if (dot > 0)
        return path.subString(0, static_cast<irr::u32>(dot));
    return irr::core::stringw();
}

bool postProcessScene(const irr::core::stringw& path) {
    irr::core::stringw temporaryPath = stripExtension(path);
    temporaryPath += L"_tmpf.tmp";
    const std::string scenePath = narrowPath(path);

    trace("Post-Traitement=\n");
    trace("Ouverture du fichier------->");
    InputFile input(scenePath);
    if (!input.isOpen()) {
        trace("Error\n");
        return false;
    }
    trace("OK\n");

    trace("Ecriture------->");
    bool failed = false;
    const bool rewrite = mayNeedRewrite(input, failed);
    if (failed || (rewrite && ::lseek(input.fd(), 0, SEEK_SET) != 0)) {
        trace("Error\n");
        return false;
    }
    TemporaryCopy copy(narrowPath(temporaryPath));
    size_t totalRead = 0;
    if (rewrite && !rewriteDecimalCommas(input, copy, totalRead)) {
        trace("Error\n");
        return false;
    }
    if (!copy.isOpen()) {
        // Nothing to change: the file as written is already the final one,
        // so the run ends as a completed replacement does.
        trace("OK\n");
        trace("File successfully renamed");
        return true;
    }
    if (copy.written() != totalRead) {
        trace("Error\n");
        return false;
    }
    trace("OK\n");
    if (!copy.commitOver(scenePath)) {
        trace("Error\n");
        return false;
    }
    trace("File successfully renamed");
    return true;
}

} // namespace sorn
