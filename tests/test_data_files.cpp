#include "base/data_file.h"
#include "base/tool_error.h"
#include "directories/directory_lists.h"
#include "net/endpoint_table.h"
#include "program_folder_guard.h"
#include "script/script_conversion.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

// Every data file goes through one reader: something that is not a regular file, or is far
// larger than any real one, is refused with a message naming it, instead of hanging on a FIFO
// or reading /dev/zero until memory runs out.
TEST(DataFiles, OnlyRegularFilesOfAReasonableSizeAreRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("config")));
    const ProgramFolderGuard folder(dir.path());
    const struct {
        const char* file;
        std::function<void()> read;
    } readers[] = {
        {"cn_bbs.ini",
         [] {
             readDirectoryList(*findDirectoryList(QStringLiteral("cn_bbs")),
                               [](const QString&, const QString&) {});
         }},
        {"fanti.txt",
         [] { convertScript(ScriptDirection::SimplifiedToTraditional, QStringLiteral("国")); }},
        {"endpoints.ini", [] { EndpointTable::forProgram(); }},
    };
    const struct {
        const char* what;
        std::function<bool(const QString& path)> make;
    } hostile[] = {
        {"a link to /dev/zero",
         [](const QString& p) { return QFile::link(QStringLiteral("/dev/zero"), p); }},
        {"a FIFO", [](const QString& p) { return ::mkfifo(QFile::encodeName(p), 0600) == 0; }},
        {"a folder", [](const QString& p) { return QDir().mkdir(p); }},
        {"a file over the cap",
         [](const QString& p) {
             QFile f(p);
             return f.open(QIODevice::WriteOnly) && f.resize(kDataFileMaxBytes + 1);
         }},
    };
    for (const auto& r : readers)
        for (const auto& h : hostile) {
            const QString path = dir.path() + QStringLiteral("/config/") + QLatin1String(r.file);
            QFile::remove(path);
            QDir().rmdir(path);
            ASSERT_TRUE(h.make(path)) << h.what;
            QString error;
            try {
                r.read();
            } catch (const ToolError& e) {
                error = e.description();
            }
            EXPECT_TRUE(error.contains(path))
                << r.file << " as " << h.what << ": " << error.toStdString();
        }
}

TEST(DataFiles, AFileAtTheCapIsRead) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(kDataFileMaxBytes));
    f.close();
    EXPECT_EQ(readDataFile(path).size(), kDataFileMaxBytes);
}
