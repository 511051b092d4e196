#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// What a run of tessivo-cli ended with.
struct CliRun {
    int status;
    QString out;
    QString err;
};

// Runs tessivo-cli with args and input on its standard input (closed after it), and waits for it
// at most a minute.
inline CliRun runCli(const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(QStringLiteral(TESSIVO_CLI), args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
