#pragma once

// Eight UTF-16 units compared at once in a 16-byte vector (SSE2 on x86-64, NEON on ARM, through
// the compiler's vector extension): how the text passes skip over the units they only copy.

#include <cstdint>
#include <cstring>

namespace lanes {

using Block = std::uint16_t __attribute__((vector_size(16)));
constexpr std::ptrdiff_t kWidth = 8;

inline Block load(const char16_t* p) {
    Block b;
    std::memcpy(&b, p, sizeof b);
    return b;
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

// The position of the first unit in s[from, end) that is unit, or -1.
inline std::ptrdiff_t find(const char16_t* s, std::ptrdiff_t from, std::ptrdiff_t end,
                           char16_t unit) {
    std::ptrdiff_t i = from;
    while (i + kWidth <= end && !any(load(s + i) == unit))
        i += kWidth;
    for (; i < end; ++i)
        if (s[i] == unit)
            return i;
    return -1;
}

} // namespace lanes
