#pragma once
// How the characters of a text file are stored, told apart by its byte-order
// mark the way the engine's XML reader tells them apart: UTF-32 and UTF-16 in
// either byte order; anything else (UTF-8 with or without its mark, plain
// ASCII) is one byte per code unit. Every reader of files the engine reads
// decodes them through here, so that all of them see the same characters.
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace sorn {

struct TextEncoding {
    unsigned unitSize = 1;  // bytes per code unit: 1, 2 or 4
    bool bigEndian = false;
    unsigned markSize = 0;  // bytes of the byte-order mark (a UTF-8 mark is 3)
};

// The encoding named by the first bytes of a file (head[0, size)).
TextEncoding detectEncoding(const unsigned char* head, size_t size);

// One code unit of the given size and byte order, composed in one expression
// per size so that the compiler turns it into a single load.
template <unsigned Size, bool BigEndian>
inline uint32_t loadCodeUnit(const unsigned char* p) {
    if constexpr (Size == 1) {
        return p[0];
    } else if constexpr (Size == 2) {
        return BigEndian ? uint32_t(p[0]) << 8 | p[1] : uint32_t(p[1]) << 8 | p[0];
    } else {
        return BigEndian ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                         : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
}

// Calls visit(size, bigEndian) with the encoding's unit size and byte order
// as compile-time constants (std::integral_constant), so that a loop over a
// text's code units is written once and made for each layout.
template <typename Visit>
decltype(auto) withCodeUnitLayout(TextEncoding encoding, Visit&& visit) {
    using One = std::integral_constant<unsigned, 1>;
    using Two = std::integral_constant<unsigned, 2>;
    using Four = std::integral_constant<unsigned, 4>;
    switch (encoding.unitSize) {
    case 4:
        return encoding.bigEndian ? visit(Four{}, std::true_type{}) : visit(Four{}, std::false_type{});
    case 2:
        return encoding.bigEndian ? visit(Two{}, std::true_type{}) : visit(Two{}, std::false_type{});
    default:
        return visit(One{}, std::false_type{});
    }
}

// The code unit whose first byte is at p.
uint32_t codeUnitAt(const unsigned char* p, TextEncoding encoding);

// bytes[0, count) as code units (a trailing partial unit is left out);
// units is resized to hold exactly them.
void decodeCodeUnits(const unsigned char* bytes, size_t count, TextEncoding encoding,
                     std::vector<uint32_t>& units);

// Writes one code unit as unitSize bytes in the given byte order.
inline void encodeCodeUnit(uint32_t unit, unsigned unitSize, bool bigEndian, unsigned char* out) {
    for (unsigned k = 0; k < unitSize; ++k) {
        unsigned shift = 8 * (bigEndian ? unitSize - 1 - k : k);
        out[k] = static_cast<unsigned char>((unit >> shift) & 0xFF);
    }
}

} // namespace sorn
