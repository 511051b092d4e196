#include "metrics/scratch_file.h"

#include "base/charset.h"
#include "base/tool_error.h"

#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

QString writeScratchFile(const QString& name, const QString& document) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    // The document holds text cut from other people's pages: only its user may read it.
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (folder.isEmpty() || !QDir().mkpath(folder) ||
        !QFile::setPermissions(folder, owner | QFileDevice::ExeOwner))
        throw ToolError(QStringLiteral("无法创建缓存文件夹 %1").arg(folder));
    const QString path = folder + u'/' + name;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || !f.setPermissions(owner))
        throw ToolError(QStringLiteral("无法写入 %1：%2").arg(path, f.errorString()));
    f.write(charset::encodeGbk(document) + "\r\n");
    if (!f.commit())
        throw ToolError(QStringLiteral("无法写入 %1：%2").arg(path, f.errorString()));
    return path;
}

QString scratchFileText(const QString& document) {
    return charset::decodeGbk(charset::encodeGbk(document));
}
