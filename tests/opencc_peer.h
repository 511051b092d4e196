#pragma once

#include "cli_run.h"

#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <gtest/gtest.h>

// OpenCC's own command, the reference every conversion through the library is held to.
inline bool haveOpenCcCommand() {
    return !QStandardPaths::findExecutable(QStringLiteral("opencc")).isEmpty();
}

#define SKIP_WITHOUT_OPENCC_COMMAND()                                                              \
    if (!haveOpenCcCommand())                                                                      \
    GTEST_SKIP() << "the opencc command is missing (apt-get install opencc): nothing to compare "  \
                    "with"

// What `opencc -c NAME.json` writes for input.
inline QByteArray openCcCommand(const char* name, const QByteArray& input) {
    const CliRun r = runProgram(
        QStringLiteral("opencc"),
        {QStringLiteral("-c"), QString::fromLatin1(name) + QStringLiteral(".json")}, input);
    EXPECT_EQ(r.status, 0) << name << ": " << r.err.toStdString();
    return r.outBytes;
}

// The phrases of tests/data/opencc_phrases.txt, notes left out.
inline QList<QByteArray> corpusPhrases() {
    QFile f(QStringLiteral(TESSIVO_SOURCE_DIR "/tests/data/opencc_phrases.txt"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QList<QByteArray> phrases;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.isEmpty() && !line.startsWith('#'))
            phrases << line;
    return phrases;
}
