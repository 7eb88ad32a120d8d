#pragma once
// Pieces shared by the scene scan and the file the engine reads after it: a
// digest of the scanned bytes and the guard tail behind them.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace sorn {
namespace scan_detail {

// A digest of a byte stream taken eight bytes at a time in four lanes (so
// that it keeps up with memory), the same however the stream is cut into blocks.
class StreamDigest {
public:
    void update(const unsigned char* bytes, size_t count) {
        while (count > 0) {
            if (pending_ == 0 && count >= 32) {
                const size_t rounds = count / 32;
                for (size_t r = 0; r < rounds; ++r, bytes += 32)
                    for (int lane = 0; lane < 4; ++lane) {
                        uint64_t word;
                        std::memcpy(&word, bytes + lane * 8, 8);
                        mix(lane, word);
                    }
                count -= rounds * 32;
                continue;
            }
            carry_[pending_++] = *bytes++;
            --count;
            if (pending_ == 32) {
                for (int lane = 0; lane < 4; ++lane) {
                    uint64_t word;
                    std::memcpy(&word, carry_ + lane * 8, 8);
                    mix(lane, word);
                }
                pending_ = 0;
            }
        }
    }
    uint64_t value() const {
        uint64_t h = total_ * 32 + pending_;
        for (int lane = 0; lane < 4; ++lane)
            h = (h ^ lanes_[lane]) * 0x9E3779B97F4A7C15ull;
        for (size_t i = 0; i < pending_; ++i)
            h = (h ^ carry_[i]) * 0x100000001B3ull;
        h ^= h >> 31;
        return h * 0xBF58476D1CE4E5B9ull;
    }

private:
    void mix(int lane, uint64_t word) {
        uint64_t& state = lanes_[lane];
        state = (state ^ word) * 0x100000001B3ull;
        state ^= state >> 29;
        if (lane == 3)
            ++total_;
    }
    uint64_t lanes_[4] = {0xCBF29CE484222325ull, 0x84222325CBF29CE4ull, 0x9E3779B97F4A7C15ull,
                          0xBF58476D1CE4E5B9ull};
    uint64_t total_ = 0;
    unsigned char carry_[32] = {};
    size_t pending_ = 0;
};

// The guard tail behind the text: an end-of-text mark, then what stops every
// scanning loop of the engine's reader should it ever pass that mark (a name
// scan at the blank or '=', a value scan at its quotes, a tag or comment scan
// at a '>'), then the end-of-text mark again.
constexpr uint32_t kGuardTail[] = {0, ' ', '=', '"', '"', '>', '>', '>', '>', 0};
constexpr size_t kGuardTailUnits = sizeof kGuardTail / sizeof kGuardTail[0];

} // namespace scan_detail
} // namespace sorn
