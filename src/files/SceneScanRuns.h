#pragma once
// Runs of a scene's text that the scanner passes over whole: text between
// tags, declarations and attribute values end only at one of two units (a
// '<', '>' or quote, or the end-of-text zero). They are looked through
// sixteen bytes at a time, four units of UTF-32 or sixteen of 8-bit text,
// with one branch per block instead of one per unit.
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sorn {
namespace scan_runs {

// The first unit of [p, end) that is a or b, or end when there is none.
inline const unsigned char* findEither(const unsigned char* p, const unsigned char* end, uint32_t a, uint32_t b) {
#if defined(__SSE2__)
    const __m128i wantA = _mm_set1_epi8(static_cast<char>(a));
    const __m128i wantB = _mm_set1_epi8(static_cast<char>(b));
    for (; end - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, wantA), _mm_cmpeq_epi8(block, wantB)));
        if (hits != 0)
            return p + __builtin_ctz(static_cast<unsigned>(hits));
    }
#endif
    for (; p < end; ++p)
        if (*p == a || *p == b)
            return p;
    return end;
}

inline const uint32_t* findEither(const uint32_t* p, const uint32_t* end, uint32_t a, uint32_t b) {
#if defined(__SSE2__)
    const __m128i wantA = _mm_set1_epi32(static_cast<int>(a));
    const __m128i wantB = _mm_set1_epi32(static_cast<int>(b));
    for (; end - p >= 4; p += 4) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi32(block, wantA), _mm_cmpeq_epi32(block, wantB)));
        if (hits != 0)
            return p + __builtin_ctz(static_cast<unsigned>(hits)) / 4;
    }
#endif
    for (; p < end; ++p)
        if (*p == a || *p == b)
            return p;
    return end;
}

} // namespace scan_runs
} // namespace sorn
