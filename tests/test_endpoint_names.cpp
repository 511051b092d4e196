#include "base/program_folder.h"
#include "base/tool_error.h"
#include "environment_guard.h"
#include "net/endpoint_names.h"
#include "net/endpoint_table.h"
#include "program_folder_guard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Pointing the tools elsewhere as a new user would: the names are told wherever they are needed,
// the example file ships with each of them, and the user's own file is read.
namespace {

void write(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace

TEST(EndpointNames, AnUnknownNameIsToldWithEveryValidOne) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("endpoints.ini"));
    write(ini, "[endpoints]\nBaiduHost=http://127.0.0.1\n");
    QString error;
    try {
        EndpointTable().load(ini);
    } catch (const ToolError& e) {
        error = e.description();
    }
    EXPECT_TRUE(error.contains(QStringLiteral("未知的端点名“BaiduHost”"))) << error.toStdString();
    for (const EndpointInfo& e : kEndpoints)
        EXPECT_TRUE(error.contains(QLatin1String(e.name))) << e.name;
}

TEST(EndpointNames, TheHelpListsEachNameWithItsDefault) {
    const QStringList lines = endpointDefaults().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), qsizetype(kEndpointCount));
    for (size_t i = 0; i < kEndpointCount; ++i) {
        const QStringList words = lines[qsizetype(i)].split(u' ', Qt::SkipEmptyParts);
        EXPECT_EQ(words.value(0), QLatin1String(kEndpoints[i].name));
        if (kEndpoints[i].defaultBase) {
            EXPECT_EQ(words.value(1), QLatin1String(kEndpoints[i].defaultBase));
        }
    }
}

TEST(EndpointNames, TheExampleFileNamesEveryEndpointAndChangesNothingAsShipped) {
    const QString example = QStringLiteral(TESSIVO_SOURCE_DIR "/config/endpoints.example.ini");
    QFile f(example);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(f.readAll());
    for (const EndpointInfo& e : kEndpoints) {
        const QString line = u';' + QLatin1String(e.name) + u'=';
        ASSERT_TRUE(text.contains(line)) << e.name;
        if (e.defaultBase) {
            EXPECT_TRUE(text.contains(line + QLatin1String(e.defaultBase) + u'\n')) << e.name;
        }
    }
    EndpointTable shipped;
    shipped.load(example);
    const EndpointTable defaults;
    for (const EndpointInfo& e : kEndpoints)
        EXPECT_EQ(shipped.base(e.endpoint), defaults.base(e.endpoint)) << e.name;

    // With its lines taken in, it still loads.
    QTemporaryDir dir;
    const QString edited = dir.filePath(QStringLiteral("endpoints.ini"));
    write(edited, text.replace(QStringLiteral("\n;MakerHost"), QStringLiteral("\nMakerHost"))
                      .replace(QStringLiteral("\n;GoogleHost"), QStringLiteral("\nGoogleHost"))
                      .toUtf8());
    EndpointTable taken;
    taken.load(edited);
    EXPECT_EQ(taken.base(Endpoint::MakerHost), QStringLiteral("file:///usr/share/tessivo"));
}

TEST(EndpointNames, TheUsersFileComesAfterTheDataFolders) {
    QTemporaryDir data;
    write(data.filePath(QStringLiteral("config/endpoints.ini")),
          "[endpoints]\nBaiduSearchHost=http://127.0.0.1:1\nGoogleHost=http://127.0.0.1:1\n");
    // The tests run in QStandardPaths' test mode, so the user's folder is a test folder of Qt's.
    const QString users =
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/endpoints.ini";
    write(users, "[endpoints]\nGoogleHost=http://127.0.0.1:2\n");
    const struct Remove {
        QString file;
        ~Remove() { QFile::remove(file); }
    } remove{users};
    const ProgramFolderGuard folder(data.path());
    const EndpointTable t = EndpointTable::forProgram();
    EXPECT_EQ(t.base(Endpoint::BaiduSearchHost), QStringLiteral("http://127.0.0.1:1"));
    EXPECT_EQ(t.base(Endpoint::GoogleHost), QStringLiteral("http://127.0.0.1:2"));
    EXPECT_EQ(t.base(Endpoint::SogouHost), EndpointTable().base(Endpoint::SogouHost));
}
