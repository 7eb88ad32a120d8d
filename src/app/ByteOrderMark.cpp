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
    switch (encoding.unitSize) {
    case 4:
        return encoding.bigEndian ? loadCodeUnit<4, true>(p) : loadCodeUnit<4, false>(p);
    case 2:
        return encoding.bigEndian ? loadCodeUnit<2, true>(p) : loadCodeUnit<2, false>(p);
    default:
        return p[0];
    }
}

void decodeCodeUnits(const unsigned char* bytes, size_t count, TextEncoding encoding,
                     std::vector<uint32_t>& units) {
    const size_t n = count / encoding.unitSize;
    units.resize(n);
    uint32_t* out = units.data();
    switch (encoding.unitSize) {
    case 4:
        return encoding.bigEndian ? decodeAll<4, true>(bytes, n, out) : decodeAll<4, false>(bytes, n, out);
    case 2:
        return encoding.bigEndian ? decodeAll<2, true>(bytes, n, out) : decodeAll<2, false>(bytes, n, out);
    default:
        return decodeAll<1, false>(bytes, n, out);
    }
}

} // namespace sorn
