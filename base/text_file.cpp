#include "base/text_file.h"

#include "base/charset.h"
#include "base/tool_error.h"

#include <QFile>

QStringList readAnsiLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw ToolError(
            QStringLiteral("文件未找到或无法打开：%1（%2）").arg(path, f.errorString()));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw ToolError(QStringLiteral("无法读取文件：%1（%2）").arg(path, f.errorString()));
    const QString text = charset::decodeGbk(bytes);
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
