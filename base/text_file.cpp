#include "base/text_file.h"

#include "base/charset.h"
#include "base/data_file.h"

QStringList readAnsiLines(const QString& path) {
    const QString text = charset::decodeGbk(readDataFile(path));
    QStringList lines;
    qsizetype begin = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r')
            continue;
        lines << text.mid(begin, i - begin);
        if (i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        begin = i + 1;
    }
    if (begin < text.size())
        lines << text.mid(begin);
    return lines;
}
