#include "directories/directory_lists.h"

#include "base/program_folder.h"
#include "base/text_file.h"

#include <QUrl>

namespace {

// The B2C list shares the forum list's column header.
const DirectoryList kLists[] = {
    {"cn_bbs", "/config/cn_bbs.ini", "论坛网站名称", true},
    {"cn_blog", "/config/cn_blog.ini", "博客网站名称", false},
    {"cn_b2c", "/config/cn_b2c.ini", "论坛网站名称", false},
    {"cn_search", "/config/cn_search.ini", "网站名称", false},
    {"en_blog", "/config/en_blog.ini", "博客网站名称", false},
    {"en_search", "/config/en_search.ini", "网站名称", false},
};

const QString kSeparator = QStringLiteral("^_^");

} // namespace

std::span<const DirectoryList> directoryLists() {
    return kLists;
}

const DirectoryList* findDirectoryList(const QString& name) {
    for (const DirectoryList& l : kLists)
        if (name == QLatin1String(l.name))
            return &l;
    return nullptr;
}

void readDirectoryList(
    const DirectoryList& list,
    const std::function<void(const QString& site, const QString& address)>& add) {
    for (const QString& line : readAnsiLines(program_folder::file(QString::fromUtf8(list.file)))) {
        const qsizetype first = line.indexOf(kSeparator);
        if (first < 0)
            continue; // headings, remarks and blank lines
        // Anything between the first and the last separator is ignored; nothing is trimmed.
        const QString a = line.left(first);
        const QString b = line.mid(line.lastIndexOf(kSeparator) + kSeparator.size());
        if (list.addressFirst)
            add(b, a);
        else
            add(a, b);
    }
}

QString webAddressOf(const QString& address) {
    QString a = address.trimmed();
    if (a.isEmpty())
        return {};
    if (!a.contains(QStringLiteral("://"))) {
        // "mailto:", "javascript:" and drive letters name no web address; "host:8080" does.
        const qsizetype colon = a.indexOf(u':');
        if (colon >= 0 && !(colon + 1 < a.size() && a[colon + 1].isDigit()))
            return {};
        a.prepend(QStringLiteral("http://"));
    }
    const QUrl url(a, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https"))
        return {};
    return a;
}
