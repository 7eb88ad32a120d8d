#include "app/ByteOrderMark.h"

namespace sorn {

namespace {

struct Mark {
    unsigned char bytes[4];
    unsigned size;
    TextEncoding encoding;
};

// UTF-32 first: its little-endian mark begins with UTF-16's.
constexpr Mark kMarks[] = {
    {{0xFF, 0xFE, 0x00, 0x00}, 4, {4, false, 4}},
    {{0x00, 0x00, 0xFE, 0xFF}, 4, {4, true, 4}},
    {{0xFF, 0xFE}, 2, {2, false, 2}},
    {{0xFE, 0xFF}, 2, {2, true, 2}},
    {{0xEF, 0xBB, 0xBF}, 3, {1, false, 3}},
};

template <unsigned Size, bool BigEndian>
void decodeAll(const unsigned char* bytes, size_t n, uint32_t* out) {
    for (size_t i = 0; i < n; ++i, bytes += Size)
        out[i] = loadCodeUnit<Size, BigEndian>(bytes);
}

} // namespace

TextEncoding detectEncoding(const unsigned char* head, size_t size) {
    for (const Mark& mark : kMarks) {
        bool matches = size >= mark.size;
        for (unsigned k = 0; matches && k < mark.size; ++k)
            matches = head[k] == mark.bytes[k];
        if (matches)
            return mark.encoding;
    }
    return {};
}

uint32_t codeUnitAt(const unsigned char* p, TextEncoding encoding) {
    return withCodeUnitLayout(encoding, [p](auto size, auto bigEndian) {
        return loadCodeUnit<decltype(size)::value, decltype(bigEndian)::value>(p);
    });
}

void decodeCodeUnits(const unsigned char* bytes, size_t count, TextEncoding encoding,
                     std::vector<uint32_t>& units) {
    const size_t n = count / encoding.unitSize;
    units.resize(n);
    uint32_t* out = units.data();
    withCodeUnitLayout(encoding, [&](auto size, auto bigEndian) {
        decodeAll<decltype(size)::value, decltype(bigEndian)::value>(bytes, n, out);
    });
}

} // namespace sorn
