#include "base/figure_problems.h"

#include <QStringList>

namespace {

// A fetcher that raised no ToolError of its own leaves the description empty.
QString failureOf(const Figure& figure) {
    return figure.detail.isEmpty() ? QStringLiteral("请求未能完成") : figure.detail;
}

} // namespace

QString figureProblem(const Figure& figure) {
    switch (figure.why) {
    case Why::Failed:
        return QStringLiteral("失败：") + failureOf(figure);
    case Why::Unrecognised:
        return QStringLiteral("页面中没有找到标记：引擎可能已改版或关闭");
    case Why::Blocked:
        return QStringLiteral("受阻：引擎要求验证（") +
               (figure.detail.isEmpty() ? QStringLiteral("验证码") : figure.detail) + u'）';
    case Why::None:
    case Why::NotFound:
    case Why::NoNumber:
        break;
    }
    return {};
}

FigureProblems countProblems(const QList<Figure>& figures) {
    FigureProblems p;
    p.figures = figures.size();
    for (const Figure& f : figures) {
        p.failed += f.why == Why::Failed;
        p.unreadable += f.why == Why::Unrecognised;
        p.blocked += f.why == Why::Blocked;
    }
    return p;
}

QString problemSummary(const QList<Figure>& figures) {
    const FigureProblems p = countProblems(figures);
    QStringList parts;
    if (p.failed > 0)
        parts << QStringLiteral("%1 个请求失败").arg(p.failed);
    if (p.unreadable > 0)
        parts << QStringLiteral("%1 个页面无法识别").arg(p.unreadable);
    if (p.blocked > 0)
        parts << QStringLiteral("%1 个引擎要求验证").arg(p.blocked);
    if (parts.isEmpty())
        return {};
    return QStringLiteral("%1 个引擎中 ").arg(p.figures) + parts.join(u'，');
}

QString failureList(const QList<Figure>& figures, const QString& separator) {
    QStringList lines;
    for (const Figure& f : figures)
        if (f.why == Why::Failed)
            lines << f.label + u'：' + failureOf(f);
    return lines.join(separator);
}
