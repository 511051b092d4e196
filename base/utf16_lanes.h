#pragma once

// Eight UTF-16 units compared at once in a 16-byte vector (SSE2 on x86-64, NEON on ARM, through
// the compiler's vector extension): how the text passes skip over the units they only copy.

#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lanes {

using Block = std::uint16_t __attribute__((vector_size(16)));
constexpr std::ptrdiff_t kWidth = 8;

inline Block load(const char16_t* p) {
    Block b;
    std::memcpy(&b, p, sizeof b);
    return b;
}

// unit in every lane.
inline Block splat(char16_t unit) {
    const std::uint16_t u = unit;
    return Block{u, u, u, u, u, u, u, u};
}

inline void store(char16_t* p, Block b) {
    std::memcpy(p, &b, sizeof b);
}

// Whether any lane of a comparison's result is true.
template <typename Marks> inline bool any(Marks marks) {
    std::uint64_t halves[2];
    std::memcpy(halves, &marks, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

// One bit for each lane of a comparison's result, lane 0 the lowest.
template <typename Marks> inline unsigned bits(Marks marks) {
#if defined(__SSE2__)
    __m128i m;
    std::memcpy(&m, &marks, sizeof m);
    return unsigned(_mm_movemask_epi8(_mm_packs_epi16(m, _mm_setzero_si128())));
#else
    std::uint16_t lanes[kWidth];
    std::memcpy(lanes, &marks, sizeof lanes);
    unsigned set = 0;
    for (std::ptrdiff_t k = 0; k < kWidth; ++k)
        set |= unsigned(lanes[k] & 1) << k;
    return set;
#endif
}

// The bits of two comparisons' results, a's in the low eight and b's in the high eight.
template <typename Marks> inline unsigned bits(Marks a, Marks b) {
#if defined(__SSE2__)
    __m128i m[2];
    std::memcpy(m, &a, sizeof a);
    std::memcpy(m + 1, &b, sizeof b);
    return unsigned(_mm_movemask_epi8(_mm_packs_epi16(m[0], m[1])));
#else
    return bits(a) | bits(b) << kWidth;
#endif
}

// The position of the first unit in s[from, end) that is unit, or -1.
inline std::ptrdiff_t find(const char16_t* s, std::ptrdiff_t from, std::ptrdiff_t end,
                           char16_t unit) {
    std::ptrdiff_t i = from;
    while (i + kWidth <= end && !any(load(s + i) == splat(unit)))
        i += kWidth;
    for (; i < end; ++i)
        if (s[i] == unit)
            return i;
    return -1;
}

// The first position in s[from, n) where needle (two units or more) begins, or -1. Its units
// pairAt and pairAt + 1 are looked for first, sixteen places at a time: a pair with an angle
// bracket ("<s", "t>") rules out most of a page's tags at once.
// passed(p) is called for each place p before it where the pair is but not the needle.
template <typename Passed>
inline std::ptrdiff_t find(const char16_t* s, std::ptrdiff_t n, std::ptrdiff_t from,
                           std::u16string_view needle, std::ptrdiff_t pairAt, Passed&& passed) {
    const std::ptrdiff_t size = std::ptrdiff_t(needle.size());
    const Block first = splat(needle[pairAt]);
    const Block second = splat(needle[pairAt + 1]);
    const std::ptrdiff_t end = n - (size - pairAt - 2); // the pair's first unit comes before
    const auto pairs = [&](std::ptrdiff_t p) {
        return (load(s + p) == first) & (load(s + p + 1) == second);
    };
    for (std::ptrdiff_t at = from + pairAt;; ++at) {
        while (at + 1 + 2 * kWidth <= end && !any(pairs(at) | pairs(at + kWidth)))
            at += 2 * kWidth;
        while (at + 1 + kWidth <= end && !any(pairs(at)))
            at += kWidth;
        for (; at + 1 < end; ++at)
            if (s[at] == needle[pairAt] && s[at + 1] == needle[pairAt + 1])
                break;
        if (at + 1 >= end)
            return -1;
        if (std::u16string_view(s + at - pairAt, needle.size()) == needle)
            return at - pairAt;
        passed(at - pairAt);
    }
}

inline std::ptrdiff_t find(const char16_t* s, std::ptrdiff_t n, std::ptrdiff_t from,
                           std::u16string_view needle, std::ptrdiff_t pairAt) {
    return find(s, n, from, needle, pairAt, [](std::ptrdiff_t) {});
}

} // namespace lanes
