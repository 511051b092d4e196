#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Byte <-> text conversions. GBK (code page 936) is the program's ANSI code page: the
// pages read in decode mode "0", the data files, the scratch file and URLEncode all use it.
namespace charset {

// bytes decoded as GBK; bytes that are not GBK become U+FFFD, never an error.
QString decodeGbk(const QByteArray& bytes);

// text encoded as GBK; a character GBK cannot hold becomes "?", as Windows does.
QByteArray encodeGbk(const QString& text);

// bytes decoded in the named charset (any name ICU knows: "utf-8", "gb2312", "big5", ...);
// nothing when the name is unknown. Invalid bytes become U+FFFD.
std::optional<QString> decode(const QByteArray& bytes, const QByteArray& charsetName);

} // namespace charset
