#include "files/ScannedSceneFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/WorkProgress.h"
#include "files/SceneScanDetail.h"

namespace sorn {

using namespace irr;
using scan_detail::kGuardTail;
using scan_detail::kGuardTailUnits;

namespace {

// Pieces read from the disk between two progress calls, and the bytes
// decoded at a time for the scanner (so that its units stay in the cache).
constexpr long kReadPiece = 1 << 20;
constexpr size_t kDecodePiece = 1 << 16;

// A code unit read straight from the reader's byte buffer.
typedef uint32_t __attribute__((may_alias)) SharedUnit;
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "UTF-32 units are scanned in place as little-endian");
static_assert(sizeof(wchar_t) == 4, "the engine's reader holds UTF-32 units as they are handed");

// What widened 8-bit text is handed as: UTF-32 in this machine's byte order
// behind its mark, the units the engine's reader keeps as they are.
constexpr TextEncoding kHandedUnits{4, false, 4};
constexpr unsigned char kHandedMark[4] = {0xFF, 0xFE, 0, 0};

// Each byte as the engine's reader widens 8-bit text: the byte's value, one
// character a byte (UTF-8 is not decoded; the restore does that).
void widenChars(const unsigned char* bytes, long count, unsigned char* out) {
    long i = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: each spread over four, the upper three zero.
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= count; i += 16) {
        const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const __m128i low = _mm_unpacklo_epi8(sixteen, zero);
        const __m128i high = _mm_unpackhi_epi8(sixteen, zero);
        __m128i* to = reinterpret_cast<__m128i*>(out + 4 * i);
        _mm_storeu_si128(to, _mm_unpacklo_epi16(low, zero));
        _mm_storeu_si128(to + 1, _mm_unpackhi_epi16(low, zero));
        _mm_storeu_si128(to + 2, _mm_unpacklo_epi16(high, zero));
        _mm_storeu_si128(to + 3, _mm_unpackhi_epi16(high, zero));
    }
#endif
    for (; i < count; ++i) {
        const uint32_t unit = bytes[i];
        std::memcpy(out + 4 * i, &unit, 4);
    }
}

} // namespace

ScannedSceneFile::ScannedSceneFile(io::IReadFile* source, SceneGate gate, SceneReferenceHook hook)
    : source_(source), gate_(std::move(gate)) {
    scanner_.setReferenceHook(std::move(hook));
    const long sourceSize = source_->getSize();
    const long headWanted = sourceSize < 4 ? sourceSize : 4;
    if (sourceSize < 0 || source_->read(head_, static_cast<u32>(headWanted)) != headWanted) {
        failed_ = decided_ = true;
        return;
    }
    headSize_ = headWanted;
    encoding_ = detectEncoding(head_, static_cast<size_t>(headSize_));
    const long unit = static_cast<long>(encoding_.unitSize);
    const long mark = static_cast<long>(encoding_.markSize);
    usable_ = mark + (sourceSize - mark) / unit * unit;
    // 8-bit text is handed over widened, when the engine's reader holds it so.
    const unsigned long long widenedText = 4 + 4ull * static_cast<unsigned long long>(usable_ - mark);
    widened_ = unit == 1 && widenedText + 4 * kGuardTailUnits <= kMaxSceneFileSize;
    const TextEncoding handed = widened_ ? kHandedUnits : encoding_;
    handedText_ = widened_ ? static_cast<long>(widenedText) : usable_;
    tail_.resize(kGuardTailUnits * handed.unitSize);
    for (size_t i = 0; i < kGuardTailUnits; ++i)
        encodeCodeUnit(kGuardTail[i], handed.unitSize, handed.bigEndian, &tail_[i * handed.unitSize]);
    const unsigned long long handedBytes = static_cast<unsigned long long>(handedText_) + tail_.size();
    if (handedBytes > kMaxSceneFileSize) {
        failed_ = decided_ = true;
        scan_.refusal = SceneRefusal::TooLarge;
        scan_.detail = "> " + std::to_string(kMaxSceneFileSize) + " bytes";
        return;
    }
    size_ = static_cast<long>(handedBytes);
}

ScannedSceneFile::~ScannedSceneFile() { source_->drop(); }

s32 ScannedSceneFile::read(void* buffer, u32 sizeToRead) {
    unsigned char* out = static_cast<unsigned char*>(buffer);
    const long start = position_;
    long count = static_cast<long>(sizeToRead);
    if (count > size_ - start)
        count = size_ - start;
    if (count <= 0)
        return 0;
    position_ += count;
    // The bytes go in order from the start, each once; a reader that goes
    // back or skips is handed nothing of the file.
    const bool freshBytes = !decided_ && start == handedUpTo_;
    if (!decided_ && !freshBytes)
        failed_ = true;
    if (freshBytes && start < handedText_) {
        const long end = std::min(start + count, handedText_);
        if (!(widened_ ? readWidened(out, start, end - start) : readPieces(out, start, end - start)))
            failed_ = true;
    }
    if (!decided_ && (failed_ || scanner_.refused() || handedUpTo_ == handedText_))
        decide();
    // Only the read that brought the last byte in hands the file over: the
    // engine's one read of the whole file.
    if (decided_ && (!handedOver_ || !freshBytes)) {
        const long from = handedOver_ ? std::max(start, handedText_) : start;
        std::memset(out, 0, static_cast<size_t>(from - start));
        if (!handedOver_) {
            std::memset(out, 0, static_cast<size_t>(count));
            return static_cast<s32>(count);
        }
    }
    if (handedOver_ && start + count > handedText_) {
        const long from = std::max(start, handedText_);
        std::memcpy(out + (from - start), tail_.data() + (from - handedText_),
                    static_cast<size_t>(start + count - from));
    }
    return static_cast<s32>(count);
}

bool ScannedSceneFile::readPieces(unsigned char* out, long from, long count) {
    long done = 0;
    // The first bytes were read to tell the encoding.
    while (done < count && from + done < headSize_) {
        out[done] = head_[from + done];
        ++done;
    }
    feed(out, done);
    readUpTo_ = handedUpTo_ = from + done;
    while (done < count && !scanner_.refused()) {
        const long piece = std::min(count - done, kReadPiece);
        if (source_->read(out + done, static_cast<u32>(piece)) != piece)
            return false;
        feed(out + done, piece);
        done += piece;
        readUpTo_ = handedUpTo_ = from + done;
        advanceWork(static_cast<unsigned long long>(readUpTo_));
    }
    return true;
}

// 8-bit text handed over widened: the mark, then the file read in pieces
// into a buffer of its own, each scanned there and widened into the reader's
// buffer. A read may end inside a unit; the rest of it begins the next read.
bool ScannedSceneFile::readWidened(unsigned char* out, long from, long count) {
    long done = 0;
    for (; done < count && from + done < 4; ++done)
        out[done] = kHandedMark[from + done];
    for (; done < count && cutUnitLeft_ > 0; --cutUnitLeft_)
        out[done++] = cutUnit_[4 - cutUnitLeft_];
    const long mark = static_cast<long>(encoding_.markSize);
    while (done < count && readUpTo_ < usable_ && !scanner_.refused()) {
        // The file's bytes this read still holds units for, its mark first.
        const long markLeft = std::max(0L, mark - readUpTo_);
        long wanted = std::min({usable_ - readUpTo_, kReadPiece, markLeft + (count - done + 3) / 4});
        const unsigned char* bytes;
        if (readUpTo_ < headSize_) {
            // The first bytes were read to tell the encoding.
            wanted = std::min(wanted, headSize_ - readUpTo_);
            bytes = head_ + readUpTo_;
        } else {
            piece_.resize(static_cast<size_t>(kReadPiece));
            if (source_->read(piece_.data(), static_cast<u32>(wanted)) != wanted)
                return false;
            bytes = piece_.data();
        }
        feed(bytes, wanted);
        readUpTo_ += wanted;
        const long skipped = std::min(wanted, markLeft);
        const long units = wanted - skipped;
        const long whole = std::min(units, (count - done) / 4);
        widenChars(bytes + skipped, whole, out + done);
        done += 4 * whole;
        if (whole < units) {
            widenChars(bytes + skipped + whole, 1, cutUnit_);
            const long part = count - done;
            std::memcpy(out + done, cutUnit_, static_cast<size_t>(part));
            done += part;
            cutUnitLeft_ = 4 - part;
        }
        advanceWork(static_cast<unsigned long long>(readUpTo_));
    }
    handedUpTo_ = from + done;
    return true;
}

// Bytes at readUpTo_ onwards, to the scanner as code units; the byte-order
// mark is not text.
void ScannedSceneFile::feed(const unsigned char* bytes, long count) {
    const long mark = static_cast<long>(encoding_.markSize);
    if (readUpTo_ < mark) {
        const long skipped = std::min(count, mark - readUpTo_);
        bytes += skipped;
        count -= skipped;
    }
    const unsigned unit = encoding_.unitSize;
    // A unit cut by the end of the last piece is completed first.
    while (carried_ > 0 && count > 0) {
        carry_[carried_++] = *bytes++;
        --count;
        if (carried_ == unit) {
            const uint32_t whole = codeUnitAt(carry_, encoding_);
            scanner_.feed(&whole, 1);
            carried_ = 0;
        }
    }
    // 8-bit text (what the editor saves) and UTF-32 in this machine's byte
    // order (what the engine writes) are scanned where they lie.
    if (unit == 1) {
        scanner_.feed(bytes, static_cast<size_t>(count));
        return;
    }
    if (unit == 4 && !encoding_.bigEndian && reinterpret_cast<uintptr_t>(bytes) % alignof(uint32_t) == 0) {
        const size_t whole = static_cast<size_t>(count) / 4;
        scanner_.feed(reinterpret_cast<const SharedUnit*>(bytes), whole);
        bytes += whole * 4;
        count -= static_cast<long>(whole * 4);
    }
    while (count > 0 && !scanner_.refused()) {
        const size_t piece = std::min(static_cast<size_t>(count), kDecodePiece);
        const size_t whole = piece / unit * unit;
        if (whole == 0)
            break;
        decodeCodeUnits(bytes, whole, encoding_, units_);
        scanner_.feed(units_.data(), units_.size());
        bytes += whole;
        count -= static_cast<long>(whole);
    }
    for (; count > 0 && !scanner_.refused(); --count)
        carry_[carried_++] = *bytes++;
}

void ScannedSceneFile::decide() {
    decided_ = true;
    if (failed_) {
        scan_ = SceneScan();
        return;
    }
    scan_ = scanner_.finish();
    scan_.usableBytes = usable_;
    scan_.unitSize = encoding_.unitSize;
    scan_.bigEndian = encoding_.bigEndian;
    if (!scan_.accepted())
        return;
    if (gate_ && !gate_(scan_)) {
        declined_ = true;
        return;
    }
    handedOver_ = true;
}

bool ScannedSceneFile::seek(long finalPos, bool relativeMovement) {
    const long target = relativeMovement ? position_ + finalPos : finalPos;
    if (target < 0 || target > size_)
        return false;
    position_ = target;
    return true;
}

ScannedSceneFile* openScannedSceneFile(io::IFileSystem* fileSystem, const io::path& path, SceneGate gate,
                                       SceneReferenceHook hook, SceneScan* why) {
    SceneScan failed;
    ScannedSceneFile* file = nullptr;
    // On disk it must be a regular file (a pipe or device would block or
    // never end); elsewhere it may be a file inside a mounted archive.
    struct stat status {};
    const bool regularOrElsewhere = ::stat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode);
    io::IReadFile* source = fileSystem && !path.empty() && regularOrElsewhere ? fileSystem->createAndOpenFile(path)
                                                                              : nullptr;
    if (source) {
        file = new ScannedSceneFile(source, std::move(gate), std::move(hook));
        if (file->decided()) {
            failed = file->scan();
            file->drop();
            file = nullptr;
        }
    }
    if (!file && why)
        *why = failed;
    return file;
}

} // namespace sorn
