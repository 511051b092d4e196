#pragma once

#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Converts a UTF-8 text (OpenCC or the character tables); the result is UTF-8.
using Utf8Conversion = std::function<std::string(std::string_view)>;

// lang and hreflang values (compared without case) that become another tag.
struct LangChange {
    QStringList from; // "zh-CN", "zh-Hans"
    QString to;       // "zh-TW"
};
// The change for a conversion that writes traditional (or simplified) text tagged target.
LangChange langChangeTo(bool toTraditional, const QString& target);

// Converts what a reader of the page reads: the text between tags (that of title and textarea
// too), and the values of title, alt and placeholder and of content in a meta named description
// or keywords. Everything else stays byte for byte: tags and the other attributes, scripts,
// styles, comments, CDATA, the doctype, and entities (the text on each side of one is converted
// on its own). With lang, lang and hreflang values are changed as it says. page must be UTF-8;
// raises ToolError when it is not.
std::string convertHtml(std::string_view page, const Utf8Conversion& convert,
                        const std::optional<LangChange>& lang = std::nullopt);
