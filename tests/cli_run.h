#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What a run of tessivo-cli (or of the window's program) ended with.
struct CliRun {
    int status; // the exit status; -1 when the program crashed or did not end within a minute
    QString out;
    QString err;
    QByteArray outBytes; // standard output byte for byte, for what the bytes themselves must show
};

// Runs program with args, input on its standard input (closed after it) and env, and waits for
// it at most a minute.
inline CliRun
runProgram(const QString& program, const QStringList& args, const QByteArray& input = {},
           const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    const bool ended = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    if (!ended) {
        p.kill();
        p.waitForFinished();
    }
    const QByteArray out = p.readAllStandardOutput();
    return {ended ? p.exitCode() : -1, QString::fromUtf8(out),
            QString::fromUtf8(p.readAllStandardError()), out};
}

inline CliRun runCli(const QStringList& args, const QByteArray& input = {}) {
    return runProgram(QStringLiteral(TESSIVO_CLI), args, input);
}

// Starts tessivo-cli with args for a test that reads or signals it while it runs.
inline void startCli(QProcess& p, const QStringList& args) {
    p.start(QStringLiteral(TESSIVO_CLI), args);
}
