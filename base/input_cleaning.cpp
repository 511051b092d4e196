#include "base/input_cleaning.h"

#include "base/text_ops.h"

QString cleanSite(const QString& typed) {
    QString d = text::removeAll(text::trimSpaces(typed), QStringLiteral("'"));
    if (d.isEmpty())
        return d;
    if (d.startsWith(QStringLiteral("http://"), Qt::CaseSensitive))
        d = text::removeAll(d, QStringLiteral("http://"));
    if (d.endsWith(u'/'))
        d = text::removeAll(d, QStringLiteral("/"));
    return d;
}

QString cleanKeyword(const QString& typed) {
    return text::removeAll(text::trimSpaces(typed), QStringLiteral("'"));
}
