#include "cli_run.h"
#include "history/history_store.h"
#include "netinfo_fakes.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace {

QStringList keys(const QJsonObject& o) {
    QStringList k = o.keys();
    k.sort();
    return k;
}

class NetinfoCli : public ::testing::Test {
protected:
    CliRun run(QStringList args) {
        args.prepend(fake.iniFile(dir));
        args.prepend(QStringLiteral("--endpoints"));
        return runCli(args);
    }

    fakes::Registries fake{fakes::Referrals::WithPorts};
    QTemporaryDir dir;
};

} // namespace

TEST_F(NetinfoCli, IpJsonHasTheStableKeys) {
    const CliRun r = run({QStringLiteral("--json"), QStringLiteral("ip"),
                          QStringLiteral("http://localhost:8080/index.html")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(keys(o), QStringList({QStringLiteral("addresses"), QStringLiteral("cname"),
                                    QStringLiteral("query")}));
    EXPECT_EQ(o.value(QStringLiteral("query")).toString(), QStringLiteral("localhost"));
    const QJsonObject first = o.value(QStringLiteral("addresses")).toArray().at(0).toObject();
    EXPECT_EQ(keys(first),
              QStringList({"address", "country", "country_code", "country_error", "family",
                           "network", "network_country", "owner", "rdap_error", "reverse"}));
    EXPECT_TRUE(first.value(QStringLiteral("country")).isNull()) << "unknown is null, not \"-\"";
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

// Before scripts/fetch-ip-data.sh has run, the lookup answers without countries and says why:
// beside each address in the JSON, once on standard error in the text.
TEST_F(NetinfoCli, IpWithoutTheCountryDatabaseTellsHowToFetchIt) {
    QTemporaryDir data;
    ASSERT_TRUE(QDir(data.path()).mkpath(QStringLiteral("config")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TESSIVO_SOURCE_DIR "/config/country_names.tsv"),
                            data.filePath(QStringLiteral("config/country_names.tsv"))));
    const QStringList ask{QStringLiteral("--config-dir"), data.path(), QStringLiteral("ip"),
                          QStringLiteral("127.0.0.1")};
    const CliRun json = run(QStringList{QStringLiteral("--json")} + ask);
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    const QJsonObject first = QJsonDocument::fromJson(json.out.toUtf8())
                                  .object()
                                  .value(QStringLiteral("addresses"))
                                  .toArray()
                                  .at(0)
                                  .toObject();
    EXPECT_TRUE(first.value(QStringLiteral("country")).isNull());
    const QString why = first.value(QStringLiteral("country_error")).toString();
    EXPECT_TRUE(why.contains(data.path() + QStringLiteral("/config/geo-whois-asn-country.mmdb")) &&
                why.contains(QStringLiteral("bash scripts/fetch-ip-data.sh")))
        << why.toStdString();
    EXPECT_EQ(first.value(QStringLiteral("network")).toString(),
              QStringLiteral("LOOPBACK-TEST (127.0.0.0 - 127.255.255.255)"));

    const CliRun text = run(ask);
    ASSERT_EQ(text.status, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("127.0.0.1\tIPv4\tlocalhost\t-\t")));
    EXPECT_EQ(text.err.count(QStringLiteral("fetch-ip-data.sh")), 1) << text.err.toStdString();
}

TEST_F(NetinfoCli, IpTextIsOneTabbedLinePerAddressUnderItsHeadings) {
    const CliRun r = run({QStringLiteral("ip"), QStringLiteral("127.0.0.1")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].split(u'\t').size(), 6);
    EXPECT_TRUE(
        lines[1].startsWith(QStringLiteral("127.0.0.1\tIPv4\tlocalhost\t-\tLOOPBACK-TEST")));
}

TEST_F(NetinfoCli, WhoisJsonHasTheStableKeys) {
    const struct {
        const char* domain;
        const char* source;
    } cases[] = {
        {"https://www.example.com/", "rdap"},
        {"www.example.cn", "whois"},
    };
    for (const auto& c : cases) {
        const CliRun r =
            run({QStringLiteral("--json"), QStringLiteral("whois"), QLatin1String(c.domain)});
        ASSERT_EQ(r.status, 0) << c.domain << ": " << r.err.toStdString();
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
        EXPECT_EQ(keys(o), QStringList({"answer", "created", "dnssec", "domain", "expires",
                                        "name_servers", "raw", "rdap_note", "registrar",
                                        "registrar_note", "server", "source", "status", "updated"}))
            << c.domain;
        EXPECT_EQ(o.value(QStringLiteral("source")).toString(), QLatin1String(c.source));
        EXPECT_TRUE(o.value(QStringLiteral("created")).toString().endsWith(u'Z')) << "UTC";
        EXPECT_TRUE(o.value(QStringLiteral("updated")).isNull() ||
                    o.value(QStringLiteral("updated")).isString());
        EXPECT_TRUE(o.value(QStringLiteral("name_servers")).isArray());
    }
}

TEST_F(NetinfoCli, ExitStatuses) {
    const struct {
        QStringList args;
        int status;
        QString out;     // the start of standard output
        const char* err; // part of standard error
    } cases[] = {
        {{"whois", "example.cn"},
         0,
         QStringLiteral("域名：example.cn\n来源：WHOIS（%1）\n").arg(fake.registryServer),
         ""},
        {{"whois", "free.cn"}, 0, QStringLiteral("没有找到 free.cn 的注册信息"), ""},
        {{"whois", "busy.com"}, 0, QStringLiteral("RDAP "), ""},
        {{"whois", "com.cn"}, 1, {}, "发生错误：“com.cn”是公共后缀"},
        {{"whois", "http://"}, 2, {}, "清理后为空"},
        {{"ip", "'"}, 2, {}, "清理后为空"},
        {{"whois", "a.com", "b.com"}, 2, {}, ""},
    };
    for (const auto& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(!c.out.isEmpty() ? r.out.startsWith(c.out) : r.out.isEmpty())
            << c.args.join(u' ').toStdString() << ": " << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err)))
            << c.args.join(u' ').toStdString() << ": " << r.err.toStdString();
    }
}

TEST_F(NetinfoCli, AWrongWhoisHostIsTheEndpointFilesFault) {
    const QString ini = dir.filePath(QStringLiteral("wrong.ini"));
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[endpoints]\nWhoisHost=whois://127.0.0.1:43\n");
    f.close();
    const CliRun r = runCli({QStringLiteral("--endpoints"), ini, QStringLiteral("whois"),
                             QStringLiteral("example.cn")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("第 2 行：“whois://127.0.0.1:43”应为主机名或地址")))
        << r.err.toStdString();
}

TEST(NetinfoCliStop, CtrlCDuringAWhoisReadExits130) {
    fakes::Registries slow(fakes::Referrals::WithPorts, 20000); // the registry holds its answer
    QTemporaryDir dir;
    QProcess p;
    startCli(p, {QStringLiteral("--endpoints"), slow.iniFile(dir), QStringLiteral("whois"),
                 QStringLiteral("example.cn")});
    for (int i = 0; i < 250 && slow.registry->questions().isEmpty(); ++i)
        QThread::msleep(20);
    ASSERT_EQ(slow.registry->questions().size(), 1);
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(2000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 130);
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
}

// Every set of registries has ports of its own, so test programs run side by side: two
// lookups, each against its own registries, are held by them at the same time and each reports
// its own registry.
TEST(NetinfoCliSideBySide, TwoLookupsWithRegistriesOfTheirOwnRunAtOnce) {
    fakes::Registries first(fakes::Referrals::WithPorts, 3000);
    fakes::Registries second(fakes::Referrals::WithPorts, 3000);
    ASSERT_NE(first.registryServer, second.registryServer);
    QTemporaryDir firstDir, secondDir;
    QProcess a, b;
    startCli(a, {QStringLiteral("--endpoints"), first.iniFile(firstDir), QStringLiteral("whois"),
                 QStringLiteral("example.cn")});
    startCli(b, {QStringLiteral("--endpoints"), second.iniFile(secondDir), QStringLiteral("whois"),
                 QStringLiteral("example.cn")});
    for (int i = 0; i < 500 && (first.registry->questions().isEmpty() ||
                                second.registry->questions().isEmpty());
         ++i)
        QThread::msleep(20);
    EXPECT_FALSE(a.waitForFinished(0)) << "both lookups are held at once";
    EXPECT_FALSE(b.waitForFinished(0)) << "both lookups are held at once";
    for (auto [p, registries] : {std::pair{&a, &first}, std::pair{&b, &second}}) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        EXPECT_TRUE(QString::fromUtf8(p->readAllStandardOutput())
                        .startsWith(QStringLiteral("域名：example.cn\n来源：WHOIS（%1）\n")
                                        .arg(registries->registryServer)));
        EXPECT_EQ(registries->registry->questions(), QStringList{QStringLiteral("example.cn")});
    }
}

TEST(NetinfoDemo, BothToolsAnswerWithoutTheNetwork) {
    for (const char* tool : {"ip", "whois"}) {
        const CliRun r = runCli({QStringLiteral("--demo"), QStringLiteral("--json"),
                                 QLatin1String(tool), QStringLiteral("www.example.com.cn")});
        ASSERT_EQ(r.status, 0) << tool << ": " << r.err.toStdString();
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
        EXPECT_TRUE(o.value(QStringLiteral("demo")).toBool()) << tool;
    }
    const CliRun com = runCli({QStringLiteral("--demo"), QStringLiteral("--json"),
                               QStringLiteral("whois"), QStringLiteral("example.com")});
    EXPECT_EQ(QJsonDocument::fromJson(com.out.toUtf8()).object().value(QStringLiteral("source")),
              QStringLiteral("rdap"));
}

TEST_F(NetinfoCli, BothLookupsAreRecordedInTheHistory) {
    const QString history = dir.filePath(QStringLiteral("history.sqlite"));
    ASSERT_EQ(run({QStringLiteral("--history"), history, QStringLiteral("ip"),
                   QStringLiteral("127.0.0.1")})
                  .status,
              0);
    ASSERT_EQ(run({QStringLiteral("--history"), history, QStringLiteral("whois"),
                   QStringLiteral("example.cn")})
                  .status,
              0);
    HistoryStore store(history);
    const QList<RunRecord> runs = store.runs({});
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[1].tool, QStringLiteral("ip"));
    EXPECT_EQ(runs[1].input, QStringLiteral("127.0.0.1"));
    ASSERT_FALSE(runs[1].figures.isEmpty());
    EXPECT_EQ(runs[1].figures[0].label, QStringLiteral("127.0.0.1/reverse"));
    EXPECT_EQ(runs[0].tool, QStringLiteral("whois"));
    EXPECT_EQ(runs[0].end, RunEnd::Done);
    QStringList labels;
    for (const Figure& f : runs[0].figures)
        labels << f.label;
    EXPECT_TRUE(labels.contains(QStringLiteral("registrar"))) << labels.join(u' ').toStdString();
}
