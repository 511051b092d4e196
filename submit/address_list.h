#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <vector>

// Sitemaps and the engines take absolute addresses of one host; anything longer is refused by
// sitemaps.org and by the engines alike.
inline constexpr qsizetype kMaxAddressLength = 2048;

// A line of a list that was left out, and why (in words a user can act on).
struct LeftOutLine {
    int line = 0; // from 1
    QString text;
    QString reason;
};

// A list of 100,000 addresses is a few megabytes; this leaves room for ten times that.
inline constexpr qint64 kMaxListBytes = 64LL * 1024 * 1024;

// The bytes of a list from in, named name in errors: at most kMaxListBytes, or ToolError.
QByteArray readListFrom(QIODevice& in, const QString& name);
// The same from the file at path; ToolError when it cannot be read.
QByteArray readListFile(const QString& path);

struct AddressList {
    QString host;          // the one host every kept address is on (lower case)
    QStringList addresses; // in the order given, each once
    std::vector<LeftOutLine> leftOut;
    int emptyLines = 0;
    int duplicates = 0;
};

// Reads a list of addresses, one a line (UTF-8, with or without a byte-order mark, LF or CRLF).
// Every address must be http or https on host; an empty host takes the first address's.
AddressList readAddressList(const QByteArray& text, const QString& host = {});

// The host of an address or a site ("https://www.example.com", "www.example.com"), lower case;
// empty when it has none.
QString hostOf(const QString& siteOrUrl);

// One line a left-out address: "第 N 行：reason：text".
QStringList describeLeftOut(const AddressList& list);

// What a reader of the list is told of it: each address left out and why, then how many
// duplicates were taken once.
QStringList listNotes(const AddressList& list);
