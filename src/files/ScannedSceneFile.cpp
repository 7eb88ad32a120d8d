#include "files/SceneScan.h"

#include <cstring>
#include <vector>

#include "app/ByteOrderMark.h"
#include "app/WorkProgress.h"
#include "files/SceneScanDetail.h"

namespace sorn {

using namespace irr;
using scan_detail::kGuardTail;
using scan_detail::kGuardTailUnits;
using scan_detail::StreamDigest;

// The scanned bytes, read again from the file in bulk (a straight copy: the
// engine converts the encoding itself, as it would reading the file), the
// guard tail behind them.
class ScannedSceneFile : public io::IReadFile {
public:
    ScannedSceneFile(io::IReadFile* source, const SceneScan& scan)
        : source_(source), usable_(scan.usableBytes), expected_(scan.digest) {
        tail_.resize(kGuardTailUnits * scan.unitSize);
        for (size_t i = 0; i < kGuardTailUnits; ++i)
            encodeCodeUnit(kGuardTail[i], scan.unitSize, scan.bigEndian, &tail_[i * scan.unitSize]);
        size_ = usable_ + static_cast<long>(tail_.size());
    }
    ~ScannedSceneFile() override { source_->drop(); }

    s32 read(void* buffer, u32 sizeToRead) override {
        unsigned char* out = static_cast<unsigned char*>(buffer);
        long count = sizeToRead;
        if (count > size_ - position_)
            count = size_ - position_;
        if (count <= 0)
            return 0;
        if (changed_) {
            std::memset(out, 0, static_cast<size_t>(count));
            position_ += count;
            return static_cast<s32>(count);
        }
        long done = 0;
        if (position_ < usable_) {
            const long fromFile = count < usable_ - position_ ? count : usable_ - position_;
            // The digest follows the bytes in order from the start; a read
            // elsewhere starts it again or leaves it unable to vouch for them.
            if (position_ == 0) {
                digest_ = StreamDigest();
                digestEnd_ = 0;
            }
            const bool inOrder = position_ == digestEnd_;
            if (!source_->seek(position_) || !readReporting(out, fromFile) || !inOrder) {
                changed_ = true;
            } else {
                digest_.update(out, static_cast<size_t>(fromFile));
                digestEnd_ += fromFile;
                if (digestEnd_ == usable_ && digest_.value() != expected_)
                    changed_ = true;
            }
            if (changed_) {
                std::memset(out, 0, static_cast<size_t>(count));
                position_ += count;
                return static_cast<s32>(count);
            }
            done = fromFile;
        }
        if (done < count) {
            std::memcpy(out + done, tail_.data() + (position_ + done - usable_), static_cast<size_t>(count - done));
        }
        position_ += count;
        return static_cast<s32>(count);
    }

    bool seek(long finalPos, bool relativeMovement = false) override {
        const long target = relativeMovement ? position_ + finalPos : finalPos;
        if (target < 0 || target > size_)
            return false;
        position_ = target;
        return true;
    }
    long getSize() const override { return size_; }
    long getPos() const override { return position_; }
    const io::path& getFileName() const override { return source_->getFileName(); }

    bool changed() const { return changed_; }

private:
    // The engine reads the whole file in one call: it is read in pieces so
    // that a large scene shows how far the reading is.
    bool readReporting(unsigned char* out, long count) {
        for (long done = 0; done < count;) {
            const long piece = count - done < kReadPiece ? count - done : kReadPiece;
            if (source_->read(out + done, static_cast<u32>(piece)) != piece)
                return false;
            done += piece;
            advanceWork(static_cast<unsigned long long>(position_ + done));
        }
        return true;
    }

    static constexpr long kReadPiece = 1 << 20;

    io::IReadFile* source_;
    long usable_;
    long size_ = 0;
    long position_ = 0;
    uint64_t expected_;
    StreamDigest digest_;
    long digestEnd_ = 0;
    bool changed_ = false;
    std::vector<unsigned char> tail_;
};

io::IReadFile* openScannedScene(io::IFileSystem* fileSystem, const io::path& path, const SceneScan& scan) {
    if (!fileSystem || !scan.accepted())
        return nullptr;
    return openScannedSceneFrom(fileSystem->createAndOpenFile(path), scan);
}

io::IReadFile* openScannedSceneFrom(io::IReadFile* source, const SceneScan& scan) {
    if (!source)
        return nullptr;
    if (!scan.accepted()) {
        source->drop();
        return nullptr;
    }
    return new ScannedSceneFile(source, scan);
}

bool scannedSceneChanged(io::IReadFile* file) {
    ScannedSceneFile* scanned = dynamic_cast<ScannedSceneFile*>(file);
    return !scanned || scanned->changed();
}

} // namespace sorn
