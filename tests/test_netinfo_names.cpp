#include "base/tool_error.h"
#include "country_data.h"
#include "netinfo/country_database.h"
#include "netinfo/country_names.h"
#include "netinfo/domain_name.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(TypedHost, KeepsOnlyTheHost) {
    const struct {
        const char* typed;
        const char* host;
    } cases[] = {
        {"  www.Example.com.cn  ", "www.example.com.cn"},
        {"http://www.example.com.cn/x", "www.example.com.cn"},
        {"https://www.example.com/a/b?c=1#d", "www.example.com"},
        {"ftp://user:pw@files.example.org:2121/pub", "files.example.org"},
        {"'example.cn'", "example.cn"},
        {"example.com.", "example.com"},
        {"www.example.com:8080", "www.example.com"},
        {"8.8.8.8", "8.8.8.8"},
        {"http://[2001:db8::1]:8080/", "2001:db8::1"},
        {"2001:DB8::1", "2001:db8::1"},
        {"http:///", ""},
        {"'", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(typedHost(QString::fromUtf8(c.typed)), QString::fromUtf8(c.host)) << c.typed;
}

TEST(RegistrableDomain, FollowsThePublicSuffixList) {
    const struct {
        const char* host;
        const char* registrable;
    } cases[] = {
        {"www.example.com.cn", "example.com.cn"},    {"example.com.cn", "example.com.cn"},
        {"a.b.c.example.co.uk", "example.co.uk"},    {"www.example.cn", "example.cn"},
        {"news.example.gov.cn", "example.gov.cn"},   {"www.例子.中国", "例子.中国"},
        {"www.xn--fsqu00a.xn--fiqs8s", "例子.中国"}, {"user.github.io", "user.github.io"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(registrableDomain(QString::fromUtf8(c.host)), QString::fromUtf8(c.registrable))
            << c.host;
}

TEST(RegistrableDomain, RefusesWhatNoRegistryHolds) {
    const struct {
        const char* host;
        const char* says;
    } cases[] = {
        {"com.cn", "是公共后缀"},
        {"8.8.8.8", "是 IP 地址"},
        {"2001:db8::1", "是 IP 地址"},
        {"localhost", "不是有效的域名"},
    };
    for (const auto& c : cases) {
        try {
            registrableDomain(QString::fromUtf8(c.host));
            ADD_FAILURE() << c.host << " was taken";
        } catch (const ToolError& e) {
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.says)))
                << c.host << ": " << e.description().toStdString();
        }
    }
}

TEST(CountryDatabase, PlacesWellKnownPublicAddressesOffline) {
    SKIP_WITHOUT_COUNTRY_DATABASE();
    const std::shared_ptr<const CountryDatabase> db = CountryDatabase::forProgram();
    ASSERT_NE(db, nullptr) << CountryDatabase::missingReason().toStdString();
    const CountryNames names = CountryNames::forProgram();
    const struct {
        const char* address;
        const char* code;
        const char* name;
    } cases[] = {
        {"8.8.8.8", "US", "美国"},              // Google's resolver
        {"114.114.114.114", "CN", "中国"},      // 114DNS
        {"223.5.5.5", "CN", "中国"},            // AliDNS
        {"193.0.6.139", "NL", "荷兰"},          // RIPE NCC
        {"2001:4860:4860::8888", "US", "美国"}, // Google's resolver over IPv6
        {"2400:3200::1", "CN", "中国"},         // AliDNS over IPv6
        {"10.1.2.3", "", ""},                   // private
        {"127.0.0.1", "", ""},                  // loopback
        {"::1", "", ""},
        {"not an address", "", ""},
    };
    for (const auto& c : cases) {
        const QString code = db->countryCode(QString::fromUtf8(c.address));
        EXPECT_EQ(code, QString::fromUtf8(c.code)) << c.address;
        if (!code.isEmpty()) {
            EXPECT_EQ(names.name(code), QString::fromUtf8(c.name)) << c.address;
        }
    }
    EXPECT_TRUE(db->built().startsWith(QStringLiteral("20")));
}

TEST(CountryDatabase, AMissingFileIsAnInstallationFault) {
    QTemporaryDir dir;
    try {
        CountryDatabase db(dir.filePath(QStringLiteral("missing.mmdb")));
        FAIL() << "opened a missing file";
    } catch (const ToolError& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("missing.mmdb")));
        EXPECT_TRUE(e.description().contains(QStringLiteral("请重新安装")));
    }
}

TEST(CountryDatabase, OnlyARegularFileIsOpened) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo.mmdb"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = dir.filePath(QStringLiteral("folder.mmdb"));
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& path : {fifo, folder})
        try {
            // A FIFO without a writer would hold the open for ever.
            CountryDatabase db(path);
            ADD_FAILURE() << "opened " << path.toStdString();
        } catch (const ToolError& e) {
            EXPECT_TRUE(e.description().contains(path + QStringLiteral(" 不是普通文件")))
                << e.description().toStdString();
        }
}

TEST(CountryNames, EveryCodeTheDatabaseGivesHasAChineseName) {
    const CountryNames names = CountryNames::forProgram();
    EXPECT_GE(names.size(), 249);
    for (const char* code : {"CN", "HK", "MO", "TW", "JP", "KR", "US", "GB", "DE", "RU", "SG"})
        EXPECT_NE(names.name(QLatin1String(code)), QLatin1String(code)) << code;
    EXPECT_EQ(names.name(QStringLiteral("cn")), QStringLiteral("中国"));
    EXPECT_EQ(names.name(QStringLiteral("ZZ")), QStringLiteral("ZZ"));
}
