#pragma once

#include <cstddef>

// Whether every row of a table indexed by an enum names the enum value of its own index, so
// that table[size_t(value)] is that value's row.
template <typename Row, std::size_t N, typename Enum>
constexpr bool rowsInEnumOrder(const Row (&table)[N], Enum Row::*key) {
    for (std::size_t i = 0; i < N; ++i)
        if (static_cast<std::size_t>(table[i].*key) != i)
            return false;
    return true;
}
