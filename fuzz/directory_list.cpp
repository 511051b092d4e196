// A directory list file of any content, read through the data-file reader; every entry line
// is reported, none with a line end inside.
#include "base/text_file.h"
#include "directories/directory_lists.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool addressFirst = size > 0 && data[0] & 1;
    const DirectoryList& list =
        *findDirectoryList(addressFirst ? QStringLiteral("cn_bbs") : QStringLiteral("cn_blog"));
    const QString path = fuzz::writeConfig(addressFirst ? "cn_bbs.ini" : "cn_blog.ini", bytes);
    qsizetype entries = 0;
    readDirectoryList(list, [&](const QString& site, const QString& address) {
        ++entries;
        if (site.contains(u'\r') || address.contains(u'\r'))
            fuzz::mismatch("a field holds a CR", site + u'|' + address, QString());
    });
    qsizetype lines = 0;
    for (const QString& line : readAnsiLines(path))
        lines += line.contains(QStringLiteral("^_^"));
    if (entries != lines)
        fuzz::mismatch("entries are the lines with ^_^", QString::number(entries),
                       QString::number(lines));
    return 0;
}
