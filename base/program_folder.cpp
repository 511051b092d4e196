#include "base/program_folder.h"

#include <QCoreApplication>
#include <QDir>

namespace program_folder {
namespace {

QString& overridden() {
    static QString folder;
    return folder;
}

} // namespace

QString path() {
    QString p = overridden().isEmpty() ? QCoreApplication::applicationDirPath() : overridden();
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
