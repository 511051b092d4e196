#pragma once

#include <QString>
#include <QStringList>

// The lines of a GBK text file, read the way the data files are written: a line ends at CR LF
// or at a lone CR, a lone LF stays inside its line, and a last line without a line end still
// counts. Read through readDataFile, whose errors it raises.
QStringList readAnsiLines(const QString& path);
