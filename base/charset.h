#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// How a fetched page's bytes become text.
enum class Decode {
    Gbk,      // GBK, unless the Content-Type or a byte-order mark says UTF-8 and the bytes are
              // UTF-8; a meta tag is not looked at
    Declared, // the Content-Type's charset, else a byte-order mark, else UTF-8
};

// Byte <-> text conversions. GBK (code page 936) is the program's ANSI code page: the
// pages read with Decode::Gbk, the data files, the scratch file and URLEncode all use it.
namespace charset {

// bytes decoded as GBK; bytes that are not GBK become U+FFFD, never an error.
QString decodeGbk(const QByteArray& bytes);

// text encoded as GBK; a character GBK cannot hold becomes "?", as Windows does.
QByteArray encodeGbk(const QString& text);

// bytes decoded in the named charset (any name ICU knows: "utf-8", "gb2312", "big5", ...);
// nothing when the name is unknown. Invalid bytes become U+FFFD.
std::optional<QString> decode(const QByteArray& bytes, const QByteArray& charsetName);

// A page body as text, read the way mode says; contentType is the response's header value.
// A leading byte-order mark is not part of the text.
QString decodePage(const QByteArray& body, const QByteArray& contentType, Decode mode);

} // namespace charset
