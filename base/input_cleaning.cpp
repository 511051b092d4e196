#include "base/input_cleaning.h"

#include "base/text_ops.h"

QString cleanSite(const QString& typed) {
    QString d = text::removeAll(text::trimSpaces(typed), QStringLiteral("'"));
    if (d.isEmpty())
        return d;
    // Browsers show nearly every site as https; an address pasted from one loses its leading
    // "https://" just as a typed one loses "http://".
    if (d.startsWith(QStringLiteral("https://"), Qt::CaseSensitive))
        d.remove(0, 8);
    else if (d.startsWith(QStringLiteral("http://"), Qt::CaseSensitive))
        d = text::removeAll(d, QStringLiteral("http://"));
    if (d.endsWith(u'/'))
        d = text::removeAll(d, QStringLiteral("/"));
    return d;
}

QString cleanKeyword(const QString& typed) {
    return text::removeAll(text::trimSpaces(typed), QStringLiteral("'"));
}
