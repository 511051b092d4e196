#pragma once

#include "base/program_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A copy of the shipped engine files in a folder of the test's own, with every "from" in one
// file written "to": what a webmaster does when an engine changes its page.
class ChangedEngines {
public:
    ChangedEngines(const QString& file, const QByteArray& from, const QByteArray& to) {
        const QString shipped = program_folder::file(QStringLiteral("/config/engines"));
        for (const QString& name : QDir(shipped).entryList({QStringLiteral("*.ini")})) {
            QFile in(shipped + u'/' + name);
            in.open(QIODevice::ReadOnly);
            QByteArray text = in.readAll();
            if (name == file)
                text.replace(from, to);
            QFile out(dir_.filePath(name));
            out.open(QIODevice::WriteOnly);
            out.write(text);
        }
    }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};
