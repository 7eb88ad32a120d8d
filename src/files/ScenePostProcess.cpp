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

#include "app/AtomicFile.h"
#include "files/check/DescriptorIo.h"
#include "files/DecimalCommas.h"
#include "files/SceneFileTrace.h"
#include "app/PathText.h"

namespace sorn {

namespace {

constexpr size_t kBlockSize = 1 << 20;

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

private:
    int fd_ = -1;
    struct stat status_ {};
};

// A first, quick pass: whether any comma stands between two digits. Blocks
// overlap by a few units so that no comma is missed at a block's edge.
bool mayNeedRewrite(int fd, bool& failed) {
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[kBlockSize]);
    failed = !block;
    if (failed)
        return false;
    TextEncoding encoding;
    const size_t overlap = 3 * 4;
    size_t offset = 0; // file offset of block[0]
    size_t carried = 0;
    for (bool first = true;; first = false) {
        ssize_t got = readFullyAt(fd, block.get() + carried, kBlockSize - carried,
                                  static_cast<off_t>(offset + carried));
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

// Copies the whole source file into the temporary file, every write checked.
bool copyInto(int source, AtomicFile& copy) {
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[kBlockSize]);
    if (!block)
        return false;
    for (off_t offset = 0;;) {
        ssize_t got = readFullyAt(source, block.get(), kBlockSize, offset);
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (!copy.write(block.get(), static_cast<size_t>(got)))
            return false;
        offset += got;
    }
}

// Streams the file at fd through the rewriter. The rewriter changes bytes
// where they stand, so each block goes back to the offset it came from, into
// target; blocks before the first change need no write. Without a target it
// only finds out whether anything would change, and stops at the first change.
bool streamThroughRewriter(int fd, AtomicFile* target, bool& changed) {
    changed = false;
    bool failed = false;
    if (!mayNeedRewrite(fd, failed))
        return !failed;
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[kBlockSize]);
    if (!block)
        return false;
    size_t carried = 0;      // bytes kept at the front of block for the next round
    off_t blockOffset = 0;   // file offset of block[0]
    off_t readOffset = 0;
    bool started = false;
    DecimalCommaRewriter rewriter{TextEncoding{}};
    for (;;) {
        ssize_t got = readFullyAt(fd, block.get() + carried, kBlockSize - carried, readOffset);
        if (got < 0)
            return false;
        readOffset += got;
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
        changed = rewriter.changed();
        if (changed && !target)
            return true;
        if (changed && !target->writeAt(blockOffset, block.get(), final))
            return false;
        if (atEnd)
            return true;
        carried = size - final;
        std::memmove(block.get(), block.get() + final, carried);
        blockOffset += static_cast<off_t>(final);
    }
}

} // namespace

bool rewriteDecimalCommasInPlace(AtomicFile& file) {
    bool changed = false;
    return streamThroughRewriter(file.fd(), &file, changed);
}

bool postProcessScene(const irr::core::stringw& path) {
    const std::string scenePath = narrowPath(path);

    InputFile input(scenePath);
    AtomicFile copy(scenePath);
    bool changes = false;
    // Without decimal commas the file as written is already the final one, so
    // the run ends as a completed replacement does.
    return traceSceneFileSteps(
        [&] { return input.isOpen(); },
        [&] {
            return streamThroughRewriter(input.fd(), nullptr, changes) &&
                   (!changes || (copy.create() && copyInto(input.fd(), copy) &&
                                 rewriteDecimalCommasInPlace(copy) && copy.flush()));
        },
        [&] { return !changes || copy.commit(); });
}

} // namespace sorn
