#pragma once

#include <QByteArray>
#include <QString>

// The largest data file the program reads. The shipped lists and tables are tens of kilobytes
// and an endpoints file a few hundred bytes; anything this large is a mistake or a device.
inline constexpr qint64 kDataFileMaxBytes = 4 * 1024 * 1024;

// The bytes of a data file: an endpoints file, a directory list, a character table. Raises
// ToolError naming the file when it cannot be opened or read, is not a regular file (a folder,
// a device or a FIFO, directly or through a link) or is larger than kDataFileMaxBytes, so that
// a wrong path can neither hang the program nor fill its memory.
QByteArray readDataFile(const QString& path);

// What makes the bytes of a configuration file unreadable as lines of UTF-8 text (UTF-16, lines
// ended by CR alone), if anything; empty when nothing does.
QString lineTextProblem(const QByteArray& bytes);

// What lineTextProblem finds, and besides NUL bytes or bytes that are not UTF-8: for a file of
// lines the user typed (a batch file), where neither can be meant, unlike in an endpoints file
// whose lines are checked one by one.
QString plainTextProblem(const QByteArray& bytes);

// bytes without a leading UTF-8 byte-order mark.
QByteArray withoutBom(const QByteArray& bytes);
