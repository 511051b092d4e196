#include "history/run_record.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<RunEnd, const char*>, 4> kRunEndKeys{{
    {RunEnd::Done, "done"},
    {RunEnd::Failed, "failed"},
    {RunEnd::Stopped, "stopped"},
    {RunEnd::Partial, "partial"},
}};

template <typename Enum, size_t N>
QString keyOf(const std::array<std::pair<Enum, const char*>, N>& table, Enum value) {
    for (const auto& [v, key] : table)
        if (v == value)
            return QString::fromLatin1(key);
    return {};
}

template <typename Enum, size_t N>
Enum valueOf(const std::array<std::pair<Enum, const char*>, N>& table, const QString& key,
             Enum fallback) {
    for (const auto& [v, k] : table)
        if (key == QLatin1String(k))
            return v;
    return fallback;
}

} // namespace

QString runEndKey(RunEnd end) {
    return keyOf(kRunEndKeys, end);
}

// An unknown ending is not claimed as a success.
RunEnd runEndFromKey(const QString& key) {
    return valueOf(kRunEndKeys, key, RunEnd::Failed);
}
