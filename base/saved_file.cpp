#include "base/saved_file.h"

#include "base/tool_error.h"

#include <QSaveFile>

void saveFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw ToolError(QStringLiteral("无法写入 %1：%2").arg(echoed(path), file.errorString()));
}
