#include "base/text_ops.h"

#include "base/tool_error.h"

namespace text {

int inStr(int start, const QString& hay, const QString& needle) {
    if (start < 1)
        throw ToolError(QStringLiteral("无效的过程调用或参数：查找起点 %1 小于 1").arg(start));
    if (start > hay.size() + 1)
        return 0;
    const qsizetype at = hay.indexOf(needle, start - 1, Qt::CaseSensitive);
    return at < 0 ? 0 : int(at) + 1;
}

QString mid(const QString& s, int start, int length) {
    if (start < 1 || length < 0)
        throw ToolError(QStringLiteral("无效的过程调用或参数：截取位置 %1、长度 %2 无效")
                            .arg(start)
                            .arg(length));
    if (start > s.size())
        return {};
    return s.mid(start - 1, length);
}

QString midToEnd(const QString& s, int start) {
    if (start < 1)
        throw ToolError(QStringLiteral("无效的过程调用或参数：截取位置 %1 无效").arg(start));
    return start > s.size() ? QString() : s.mid(start - 1);
}

QString removeAll(QString s, const QString& what) {
    if (!what.isEmpty())
        s.remove(what, Qt::CaseSensitive);
    return s;
}

QString trimSpaces(const QString& s) {
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s[b] == u' ')
        ++b;
    while (e > b && s[e - 1] == u' ')
        --e;
    return b == 0 && e == s.size() ? s : s.mid(b, e - b);
}

} // namespace text
