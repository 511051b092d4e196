#include "base/figure.h"

#include <QRegularExpression>
#include <array>

namespace {

constexpr std::array<std::pair<Why, const char*>, 6> kWhyKeys{{
    {Why::None, ""},
    {Why::NotFound, "not_found"},
    {Why::Unrecognised, "unrecognised"},
    {Why::Failed, "failed"},
    {Why::NoNumber, "no_number"},
    {Why::Blocked, "blocked"},
}};

} // namespace

QString whyKey(Why why) {
    for (const auto& [w, key] : kWhyKeys)
        if (w == why)
            return QString::fromLatin1(key);
    return {};
}

Why whyFromKey(const QString& key) {
    for (const auto& [w, k] : kWhyKeys)
        if (key == QLatin1String(k))
            return w;
    return Why::NoNumber;
}

std::optional<double> countIn(const QString& text) {
    // Engines group digits in threes with commas and round large counts to 万 or 亿.
    static const QRegularExpression count(
        QStringLiteral(R"(^\s*约?\s*(\d{1,3}(?:,\d{3})+|\d+)(\.\d+)?\s*(万|亿)?\s*$)"));
    const QRegularExpressionMatch m = count.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    double n = (m.captured(1).remove(u',') + m.captured(2)).toDouble();
    if (m.captured(3) == u"万")
        n *= 1e4;
    else if (m.captured(3) == u"亿")
        n *= 1e8;
    return n;
}

Figure countFigure(const QString& label, const QString& text, const QString& address) {
    const std::optional<double> n = countIn(text);
    return {.label = label,
            .text = text,
            .number = n,
            .why = n ? Why::None : Why::NoNumber,
            .detail = {},
            .address = address};
}

Figure missingFigure(const QString& label, const QString& text, Why why, const QString& detail,
                     const QString& address) {
    return {.label = label,
            .text = text,
            .number = {},
            .why = why,
            .detail = detail,
            .address = address};
}
