#pragma once

// What every fuzz target shares: Qt's application object, the program folder in a scratch
// folder of its own, and the fuzzer's bytes cut into the tools' inputs.

#include "base/program_folder.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// The folder the file readers read from, with its config/ beside nothing else.
inline QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// The input cut at each 0x01 byte into count fields, the last one taking the rest; missing
// fields are empty. Seeds and dictionaries write the separator as \x01.
inline QList<QByteArray> fields(const uint8_t* data, size_t size, int count) {
    QList<QByteArray> out;
    QByteArrayView rest(reinterpret_cast<const char*>(data), qsizetype(size));
    while (out.size() + 1 < count) {
        const qsizetype at = rest.indexOf('\x01');
        if (at < 0)
            break;
        out << rest.first(at).toByteArray();
        rest = rest.sliced(at + 1);
    }
    out << rest.toByteArray();
    while (out.size() < count)
        out << QByteArray();
    return out;
}

inline QString text(const QByteArray& bytes) {
    return QString::fromUtf8(bytes);
}

// Writes bytes to config/name in the scratch program folder and returns its path.
inline QString writeConfig(const char* name, const QByteArray& bytes) {
    const QString path = folder().path() + QStringLiteral("/config/") + QLatin1String(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        std::abort();
    return path;
}

// A reference check that failed: the input that shows it is the crash libFuzzer saves.
[[noreturn]] inline void mismatch(const char* what, const QString& got, const QString& expected) {
    std::fprintf(stderr, "%s\n  got:      %s\n  expected: %s\n", what, qPrintable(got),
                 qPrintable(expected));
    std::abort();
}

} // namespace fuzz

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    if (!fuzz::folder().isValid() || !QDir(fuzz::folder().path()).mkpath(QStringLiteral("config")))
        std::abort();
    program_folder::setPath(fuzz::folder().path());
    return 0;
}
