#include "base/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace program_folder {
namespace {

QString& overridden() {
    static QString folder;
    return folder;
}

// The build folder holds the programs beside their data; an installation keeps the data in its
// own folder, TESSIVO_DATA_FROM_BIN away from the programs' (../share/tessivo).
QString dataFolder() {
    const QString programs = QCoreApplication::applicationDirPath();
    if (QFileInfo(programs + QStringLiteral("/config")).isDir())
        return programs;
    return QDir::cleanPath(programs + QStringLiteral("/" TESSIVO_DATA_FROM_BIN));
}

} // namespace

QString path() {
    QString p = overridden().isEmpty() ? dataFolder() : overridden();
    while (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    return p;
}

void setPath(const QString& folder) {
    overridden() = QDir(folder).absolutePath();
}

QString file(const QString& relative) {
    return path() + relative;
}

} // namespace program_folder
