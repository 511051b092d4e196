#include "base/tool_error.h"
#include "net/endpoint_table.h"
#include "net/request_address.h"
#include "program_folder_guard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString writeIni(const QTemporaryDir& dir, const char* text) {
    const QString path = dir.filePath(QStringLiteral("endpoints.ini"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return path;
}

} // namespace

TEST(EndpointTable, FileOverridesOnlyTheNamedEndpoints) {
    QTemporaryDir dir;
    EndpointTable t;
    const QString defaultGoogle = t.base(Endpoint::GoogleHost);
    t.load(writeIni(dir, "; local test hosts\n"
                         "[endpoints]\nBaiduSearchHost = http://127.0.0.1:8080/\n"
                         "SogouHost=http://127.0.0.1:9090\n"));
    EXPECT_EQ(t.base(Endpoint::BaiduSearchHost), QStringLiteral("http://127.0.0.1:8080"));
    EXPECT_EQ(t.base(Endpoint::GoogleHost), defaultGoogle);
    EXPECT_EQ(t.hostName(Endpoint::SogouHost), QStringLiteral("127.0.0.1:9090"));
    EXPECT_EQ(EndpointTable().hostName(Endpoint::SogouHost), QStringLiteral("www.sogou.com"));
}

TEST(EndpointTable, WhoisHostIsAHostWithAnOptionalPort) {
    QTemporaryDir dir;
    const struct {
        const char* value;
        const char* host;
        quint16 port;
    } cases[] = {
        {"whois.example", "whois.example", 43},
        {"127.0.0.1:4343", "127.0.0.1", 4343},
        {"[::1]:4343", "::1", 4343},
        {"[::1]", "::1", 43},
        {"2001:db8::1", "2001:db8::1", 43},
    };
    for (const auto& c : cases) {
        EndpointTable t;
        t.load(writeIni(dir, (QByteArray("[endpoints]\nWhoisHost=") + c.value + "\n").constData()));
        EXPECT_EQ(t.whoisServer().host, QLatin1String(c.host)) << c.value;
        EXPECT_EQ(t.whoisServer().port, c.port) << c.value;
    }
    EXPECT_EQ(EndpointTable().whoisServer().host, QStringLiteral("whois.iana.org"));
}

TEST(EndpointTable, MakerHostDefaultsToTheProgramFolderAsAFileAddress) {
    EXPECT_TRUE(EndpointTable().base(Endpoint::MakerHost).startsWith(QStringLiteral("file:///")));
}

TEST(EndpointTable, BadFilesAreReportedWithFileAndLine) {
    QTemporaryDir dir;
    const struct {
        QByteArray text;
        const char* says; // besides the file's name
    } cases[] = {
        {"[endpoints]\nBaiduHost=http://x\n", "第 2 行：未知的端点名“BaiduHost”"},
        {"[endpoints]\nGoogleHost=javascript:1\n", "第 2 行"},
        {"[endpoints]\nGoogleHost\n", "第 2 行"},
        {"[endpoints]\nGoogleHost=http:///search\n", "第 2 行：“http:///search”中没有主机名"},
        {"[endpoints]\nGoogleHost=http://u:p@127.0.0.1\n", "第 2 行：地址中不能有用户名或密码"},
        {"[endpoints]\nGoogleHost=http://127.0.0.1/?x=1\n", "第 2 行：地址中不能有查询"},
        {"[endpoints]\nGoogleHost=http://127.0.0.1/#top\n", "第 2 行：地址中不能有片段"},
        {"[endpoints]\nGoogleHost=http://127.0.0.1:0\n", "第 2 行：端口须在 1 到 65535 之间"},
        {"[endpoints]\nGoogleHost=http://127.0.0.1:65536\n", "第 2 行：端口须在 1 到 65535 之间"},
        {"[endpoints]\nGoogleHost=file:///opt/tessivo\n",
         "第 2 行：只有 MakerHost 可以是 file 地址"},
        {"[Endpoints]\nGoogleHost=http://127.0.0.1\n", "第 1 行：未知的节“[Endpoints]”"},
        {"GoogleHost=http://127.0.0.1\n[endpoints]\n",
         "第 1 行：“GoogleHost”不在 [endpoints] 节中"},
        {"[endpoints]\nGoogleHost=http://127.0.0.1\n[other]\nx=1\n", "第 3 行：未知的节“[other]”"},
        {QByteArray("\xFF\xFE[\0e\0", 6), "UTF-16"},
        {QByteArray("[\0e\0", 4), "UTF-16"},
        {"[endpoints]\rGoogleHost=http://127.0.0.1\r", "只用 CR 换行"},
        {"[endpoints]\nWhoisHost=http://whois.example\n",
         "第 2 行：“http://whois.example”应为主机名或地址"},
        {"[endpoints]\nWhoisHost=whois.example:0\n", "第 2 行：端口须在 1 到 65535 之间"},
        {"[endpoints]\nWhoisHost=whois.example:\n", "第 2 行：“whois.example:”的“:”后缺少端口"},
        {"[endpoints]\nWhoisHost=[2001:db8::1\n", "第 2 行：“[2001:db8::1”缺少“]”"},
        {"[endpoints]\nWhoisHost=2001:db8::zz\n", "第 2 行：“2001:db8::zz”不是 IPv6 地址"},
        {"[endpoints]\nWhoisHost=who is\n", "第 2 行：“who is”不是主机名或 IP 地址"},
    };
    const QString path = dir.filePath(QStringLiteral("endpoints.ini"));
    for (const auto& c : cases) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.text);
        f.close();
        QString error;
        try {
            EndpointTable().load(path);
        } catch (const ToolError& e) {
            error = e.description();
        }
        EXPECT_TRUE(error.contains(path) && error.contains(QString::fromUtf8(c.says)))
            << c.text.toStdString() << " gave: " << error.toStdString();
    }
    EXPECT_THROW(EndpointTable().load(dir.filePath(QStringLiteral("missing.ini"))), ToolError);
}

TEST(EndpointTable, GoodValuesOfEveryKindAreTaken) {
    QTemporaryDir dir;
    EndpointTable t;
    t.load(writeIni(dir, "\xEF\xBB\xBF; saved by Notepad, with a byte-order mark\r\n"
                         "[endpoints]\r\n"
                         "GoogleHost=https://[::1]:8443/prefix/\r\n"
                         "MakerHost=file:///opt/tessivo\r\n"
                         "SogouHost=http://127.0.0.1:65535\r\n"));
    EXPECT_EQ(t.base(Endpoint::GoogleHost), QStringLiteral("https://[::1]:8443/prefix"));
    EXPECT_EQ(t.base(Endpoint::MakerHost), QStringLiteral("file:///opt/tessivo"));
    EXPECT_EQ(t.hostName(Endpoint::SogouHost), QStringLiteral("127.0.0.1:65535"));
}

// config/endpoints.ini beside the program: a right one is taken whole; the window goes on with a
// wrong one, taking its right lines, keeping the defaults of its wrong keys and saying once
// what is wrong.
TEST(EndpointTable, TheFileBesideTheProgram) {
    const QString google = EndpointTable().base(Endpoint::GoogleHost);
    const QString sogou = EndpointTable().base(Endpoint::SogouHost);
    const struct {
        const char* name;
        QByteArray ini; // null: no file
        QString google;
        QString sogou;
        bool wrong;
    } cases[] = {
        {"no file", {}, google, sogou, false},
        {"a right file",
         "[endpoints]\nGoogleHost=http://127.0.0.1:1\nSogouHost=http://127.0.0.1:2\n",
         "http://127.0.0.1:1", "http://127.0.0.1:2", false},
        {"a wrong line",
         "[endpoints]\nGoogleHost=http://127.0.0.1:0\nSogouHost=http://127.0.0.1:2\n", google,
         "http://127.0.0.1:2", true},
        {"a UTF-16 file", QByteArray("\xFF\xFE[\0e\0", 6), google, sogou, true},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("config")));
        const QString ini = dir.path() + QStringLiteral("/config/endpoints.ini");
        if (!c.ini.isNull()) {
            QFile f(ini);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.ini);
        }
        const ProgramFolderGuard folder(dir.path());
        QString problem;
        const EndpointTable t = EndpointTable::forProgram(&problem);
        EXPECT_EQ(t.base(Endpoint::GoogleHost), c.google) << c.name;
        EXPECT_EQ(t.base(Endpoint::SogouHost), c.sogou) << c.name;
        EXPECT_EQ(problem.contains(ini), c.wrong) << c.name << ": " << problem.toStdString();
        if (c.wrong)
            EXPECT_THROW(EndpointTable::forProgram(), ToolError) << c.name;
        else
            EXPECT_EQ(EndpointTable::forProgram().base(Endpoint::SogouHost), c.sogou) << c.name;
    }
}

TEST(RequestAddress, FillsEveryHoleOnceAndRefusesUnknownOnes) {
    EndpointTable t;
    t.set(Endpoint::SogouHost, QStringLiteral("http://127.0.0.1:7000"));
    const RequestValues v{.d = "a{d}.cn", .k = "seo 工具", .p = 3, .lm = "7"};
    const struct {
        const char* tpl;
        const char* address;
    } cases[] = {
        {"{SogouHost}/web?query=link%3A{d}&_asf={SogouHostName}&x=1",
         "http://127.0.0.1:7000/web?query=link%3Aa{d}.cn&_asf=127.0.0.1:7000&x=1"},
        {"{GoogleHost}/s?k={k}&g={k_gbk}", "http://www.google.com/s?k=seo 工具&g=seo+%B9%A4%BE%DF"},
        {"/p?start={start}&page{p}&lm={lm}", "/p?start=20&page3&lm=7"},
        {"no holes {", "no holes {"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(requestAddress(c.tpl, t, v), QString::fromUtf8(c.address)) << c.tpl;
    EXPECT_THROW(requestAddress("{BaiduHost}/s", t, v), ToolError);
}
