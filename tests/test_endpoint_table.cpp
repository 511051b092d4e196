#include "base/tool_error.h"
#include "net/endpoint_table.h"
#include "net/request_address.h"

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
    t.load(writeIni(dir, "; local test hosts\n[other]\nBaiduSearchHost=http://ignored\n"
                         "[endpoints]\nBaiduSearchHost = http://127.0.0.1:8080/\n"
                         "SogouHost=http://127.0.0.1:9090\n"));
    EXPECT_EQ(t.base(Endpoint::BaiduSearchHost), QStringLiteral("http://127.0.0.1:8080"));
    EXPECT_EQ(t.base(Endpoint::GoogleHost), defaultGoogle);
    EXPECT_EQ(t.hostName(Endpoint::SogouHost), QStringLiteral("127.0.0.1:9090"));
    EXPECT_EQ(EndpointTable().hostName(Endpoint::SogouHost), QStringLiteral("www.sogou.com"));
}

TEST(EndpointTable, MakerHostDefaultsToTheProgramFolderAsAFileAddress) {
    EXPECT_TRUE(EndpointTable().base(Endpoint::MakerHost).startsWith(QStringLiteral("file:///")));
}

TEST(EndpointTable, BadFilesAreReportedWithFileAndLine) {
    QTemporaryDir dir;
    for (const char* bad :
         {"[endpoints]\nBaiduHost=http://x\n", "[endpoints]\nGoogleHost=javascript:1\n",
          "[endpoints]\nGoogleHost\n"}) {
        EndpointTable t;
        try {
            t.load(writeIni(dir, bad));
            ADD_FAILURE() << bad;
        } catch (const ToolError& e) {
            EXPECT_TRUE(e.description().contains(QStringLiteral("第 2 行")))
                << e.description().toStdString();
        }
    }
    EXPECT_THROW(EndpointTable().load(dir.filePath(QStringLiteral("missing.ini"))), ToolError);
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
