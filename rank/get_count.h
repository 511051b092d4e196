#pragma once

#include <QStringView>
#include <optional>

// The number of pieces that splitting stringBeSearched at stringToFind yields, less one: the
// non-overlapping occurrences counted from the left. An empty text to search has no pieces at
// all (-1); an empty text to find leaves it whole (0). An absent argument gives 0.
int getCount(std::optional<QStringView> stringBeSearched, std::optional<QStringView> stringToFind);
