#include "net/count_link.h"

#include "base/text_ops.h"
#include "base/tool_error.h"

#include <QStringList>

std::optional<QString> cutMarkedCount(const QString& page, const QString& url,
                                      const QString& startMarker, const QString& endMarker,
                                      const QString& stripList) {
    const int p1 = text::inStr(1, page, startMarker);
    if (p1 == 0)
        return std::nullopt;
    // The end marker is searched from where the start marker begins, not after it, so the cut
    // starts with the marker itself and the strip lists carry the marker among their pieces.
    const int p2 = text::inStr(p1, page, endMarker);
    if (p2 == 0)
        throw ToolError(QStringLiteral("无效的过程调用或参数：%1 的页面中有“%2”，其后却没有“%3”")
                            .arg(echoed(url), startMarker, endMarker));
    QString cut = text::mid(page, p1, p2 - p1);
    if (cut.isEmpty())
        return cut;
    cut = text::removeAll(cut, stripList);
    if (stripList.contains(u','))
        for (const QString& piece : stripList.split(u','))
            cut = text::removeAll(cut, piece);
    return text::trimSpaces(cut);
}

QString cutCount(const QString& page, const QString& url, const QString& startMarker,
                 const QString& endMarker, const QString& stripList) {
    return cutMarkedCount(page, url, startMarker, endMarker, stripList)
        .value_or(QStringLiteral("0"));
}

QString countLinkIn(const QString& page, const QString& url, const QString& startMarker,
                    const QString& endMarker, const QString& stripList, Figure* figure) {
    const std::optional<QString> cut = cutMarkedCount(page, url, startMarker, endMarker, stripList);
    const QString value = cut.value_or(QStringLiteral("0"));
    if (figure) {
        // A page without the marker is a changed or blocked page, not a count of zero.
        *figure = cut ? countFigure({}, value, url)
                      : missingFigure({}, value, Why::Unrecognised, {}, url);
    }
    return countLink(url, value);
}

QString countLink(const QString& url, const QString& text) {
    return QStringLiteral("<a href='") + url + QStringLiteral("' target='_blank'>") + text +
           QStringLiteral("</a>");
}

QString getCountLink(Fetcher& fetcher, const QString& url, const QString& startMarker,
                     const QString& endMarker, const QString& stripList, Decode mode,
                     Figure* figure) {
    return countLinkIn(HttpFetch(fetcher, url, mode), url, startMarker, endMarker, stripList,
                       figure);
}
