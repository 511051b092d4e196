#include "submit/address_list.h"

#include "base/tool_error.h"

#include <QFile>
#include <QSet>
#include <QUrl>

QByteArray readListFrom(QIODevice& in, const QString& name) {
    const QByteArray bytes = in.read(kMaxListBytes + 1);
    if (bytes.size() > kMaxListBytes)
        throw ToolError(
            QStringLiteral("%1 超过 %2 MB，不予读取").arg(name).arg(kMaxListBytes >> 20));
    return bytes;
}

QByteArray readListFile(const QString& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        throw ToolError(QStringLiteral("无法读取 %1：%2").arg(path, in.errorString()));
    return readListFrom(in, path);
}

QString hostOf(const QString& siteOrUrl) {
    const QString typed = siteOrUrl.trimmed();
    const QUrl url(typed.contains(QLatin1String("://")) ? typed
                                                        : QStringLiteral("http://") + typed);
    return url.host().toLower();
}

AddressList readAddressList(const QByteArray& text, const QString& host) {
    AddressList list;
    list.host = host.toLower();
    QString all = QString::fromUtf8(text);
    if (all.startsWith(QChar(0xFEFF)))
        all.remove(0, 1);
    QSet<QString> seen;
    const QStringList lines = all.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = int(i) + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty()) {
            // The newline that ends the last line makes no line of its own.
            if (i + 1 < lines.size())
                ++list.emptyLines;
            continue;
        }
        auto leaveOut = [&](const QString& reason) {
            list.leftOut.push_back({number, line.left(200), reason});
        };
        if (line.size() > kMaxAddressLength) {
            leaveOut(QStringLiteral("网址超过 %1 个字符").arg(kMaxAddressLength));
            continue;
        }
        const QUrl url(line);
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() ||
            (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
            leaveOut(QStringLiteral("不是 http 或 https 网址"));
            continue;
        }
        const QString lineHost = url.host().toLower();
        if (lineHost.isEmpty()) {
            leaveOut(QStringLiteral("网址没有主机"));
            continue;
        }
        if (list.host.isEmpty())
            list.host = lineHost;
        if (lineHost != list.host) {
            leaveOut(QStringLiteral("不属于主机 %1").arg(list.host));
            continue;
        }
        if (seen.contains(line)) {
            ++list.duplicates;
            continue;
        }
        seen.insert(line);
        list.addresses << line;
    }
    return list;
}

QStringList describeLeftOut(const AddressList& list) {
    QStringList lines;
    for (const LeftOutLine& l : list.leftOut)
        lines << QStringLiteral("第 %1 行：%2：%3").arg(l.line).arg(l.reason, l.text);
    return lines;
}

QStringList listNotes(const AddressList& list) {
    QStringList notes;
    for (const QString& line : describeLeftOut(list))
        notes << QStringLiteral("未采用 ") + line;
    if (list.duplicates > 0)
        notes << QStringLiteral("%1 个重复的网址只采用一次").arg(list.duplicates);
    return notes;
}
