#include "files/check/ContentHash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

namespace sorn {

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;

std::uint64_t rotate(std::uint64_t value, int bits) {
    return (value << bits) | (value >> (64 - bits));
}

std::uint64_t word(const unsigned char* bytes) {
    std::uint64_t value = 0;
    std::memcpy(&value, bytes, sizeof value); // little-endian machines only: the cache is per machine
    return value;
}

std::uint64_t mixLane(std::uint64_t lane, std::uint64_t input) {
    return rotate(lane + input * kPrime2, 31) * kPrime1;
}

std::uint64_t finalMix(std::uint64_t value) {
    value ^= value >> 33;
    value *= kPrime2;
    value ^= value >> 29;
    value *= kPrime1;
    return value ^ (value >> 32);
}

} // namespace

void ContentHash::addBlock(const unsigned char* block) {
    for (int i = 0; i < 4; ++i)
        lanes_[i] = mixLane(lanes_[i], word(block + 8 * i));
}

void ContentHash::add(const void* data, size_t size) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    length_ += size;
    if (pendingSize_ > 0) {
        const size_t take = std::min(size, sizeof pending_ - pendingSize_);
        std::memcpy(pending_ + pendingSize_, bytes, take);
        pendingSize_ += take;
        bytes += take;
        size -= take;
        if (pendingSize_ < sizeof pending_)
            return;
        addBlock(pending_);
        pendingSize_ = 0;
    }
    // The lanes stay in registers over a run of blocks (stored back per
    // block, they are reloaded after every read, which may alias them).
    std::uint64_t lane0 = lanes_[0], lane1 = lanes_[1], lane2 = lanes_[2], lane3 = lanes_[3];
    for (; size >= sizeof pending_; bytes += sizeof pending_, size -= sizeof pending_) {
        lane0 = mixLane(lane0, word(bytes));
        lane1 = mixLane(lane1, word(bytes + 8));
        lane2 = mixLane(lane2, word(bytes + 16));
        lane3 = mixLane(lane3, word(bytes + 24));
    }
    lanes_[0] = lane0;
    lanes_[1] = lane1;
    lanes_[2] = lane2;
    lanes_[3] = lane3;
    std::memcpy(pending_, bytes, size);
    pendingSize_ = size;
}

std::uint64_t ContentHash::value() const {
    std::uint64_t hash = rotate(lanes_[0], 1) + rotate(lanes_[1], 7) + rotate(lanes_[2], 12) + rotate(lanes_[3], 18);
    for (std::uint64_t lane : lanes_)
        hash = (hash ^ finalMix(lane)) * kPrime1;
    hash ^= length_;
    // The tail, a word then a byte at a time, each in its place.
    size_t at = 0;
    for (; at + 8 <= pendingSize_; at += 8)
        hash = rotate(hash ^ mixLane(0, word(pending_ + at)), 27) * kPrime1 + kPrime2;
    for (; at < pendingSize_; ++at)
        hash = rotate(hash ^ (pending_[at] * kPrime2), 11) * kPrime1;
    return finalMix(hash);
}

std::uint64_t hashBytes(const void* data, size_t size) {
    ContentHash hash;
    hash.add(data, size);
    return hash.value();
}

bool hashOpenFile(int fd, std::uint64_t& hash, long long& size) {
    ContentHash content;
    long long total = 0;
    unsigned char buffer[64 * 1024]; // on the stack: no allocation to clear for a small file
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            break;
        content.add(buffer, static_cast<size_t>(count));
        total += count;
    }
    hash = content.value();
    size = total;
    return true;
}

namespace {

// The memory of file bytes let go, for the next file read whole.
class SpareBuffers {
public:
    static constexpr size_t kMaxKeptBytes = 8u << 20;

    // A buffer of at least capacity bytes (the smallest kept that is large
    // enough, else a new one), and its real capacity.
    unsigned char* take(size_t capacity, size_t& taken) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto best = spares_.end();
        for (auto it = spares_.begin(); it != spares_.end(); ++it)
            if (it->capacity >= capacity && (best == spares_.end() || it->capacity < best->capacity))
                best = it;
        if (best == spares_.end()) {
            taken = capacity;
            return new unsigned char[capacity];
        }
        unsigned char* buffer = best->buffer;
        taken = best->capacity;
        keptBytes_ -= best->capacity;
        spares_.erase(best);
        return buffer;
    }
    void give(unsigned char* buffer, size_t capacity) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (capacity > kMaxKeptBytes - keptBytes_) {
            delete[] buffer;
            return;
        }
        spares_.push_back({buffer, capacity});
        keptBytes_ += capacity;
    }
private:
    struct Spare {
        unsigned char* buffer;
        size_t capacity;
    };
    std::mutex mutex_;
    std::vector<Spare> spares_;
    size_t keptBytes_ = 0;
};

// Never destroyed: file bytes held by other statics go back to it at exit.
SpareBuffers& spareBuffers() {
    static SpareBuffers* spares = new SpareBuffers;
    return *spares;
}

} // namespace

FileBytes::~FileBytes() {
    clear();
}

FileBytes::FileBytes(FileBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept {
    if (this != &other) {
        clear();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

void FileBytes::reserve(size_t capacity) {
    if (capacity <= capacity_)
        return;
    size_t taken = 0;
    unsigned char* larger = spareBuffers().take(capacity, taken);
    if (size_ > 0)
        std::memcpy(larger, data_, size_);
    if (data_)
        spareBuffers().give(data_, capacity_);
    data_ = larger;
    capacity_ = taken;
}

void FileBytes::clear() {
    if (data_)
        spareBuffers().give(data_, capacity_);
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
}

bool readAndHashOpenFile(int fd, long long expectedSize, long long maxSize, FileBytes& bytes, std::uint64_t& hash) {
    bytes.clear();
    // One byte over the expected size, so that the read that finds the end
    // needs no larger buffer.
    bytes.reserve(static_cast<size_t>(std::max(expectedSize, 0LL)) + 1);
    for (;;) {
        if (bytes.room() == 0)
            bytes.reserve(2 * bytes.size());
        const ssize_t count = ::read(fd, bytes.end(), bytes.room());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            bytes.clear();
            return false;
        }
        if (count == 0)
            break;
        bytes.grow(static_cast<size_t>(count));
        if (static_cast<long long>(bytes.size()) > maxSize) {
            bytes.clear();
            return false;
        }
    }
    hash = hashBytes(bytes.data(), bytes.size());
    return true;
}

bool hashFile(const std::string& path, std::uint64_t& hash, long long& size) {
    // Not blocking on a FIFO, and refusing anything but a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status {};
    const bool read = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && hashOpenFile(fd, hash, size);
    ::close(fd);
    return read;
}

} // namespace sorn
