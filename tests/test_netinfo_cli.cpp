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

namespace {

// Registries whose answers carry what would act on a terminal: an OSC 52 clipboard write, a
// clear screen, a right-to-left override and line breaks that would start a line of their own,
// in the fields the summaries and the IP table print and in the records themselves.
constexpr char kClipboard[] = "\x1b]52;c;ZXZpbA==\x07";
constexpr char kClear[] = "\x1b[2J";
constexpr char kOverride[] = "\xe2\x80\xae";

QByteArray hostileWhois() {
    return QByteArray("Domain Name: evil.cn\r\n"
                      "Sponsoring Registrar: Evil") +
           kClipboard +
           "\rInjected: line\r\n"
           "Name Server: ns1.evil.cn" +
           kClear +
           "\r\n"
           "Domain Status: ok" +
           kOverride +
           "desrever\r\n"
           "Registration Time: 2003-03-17 12:20:05\r\n";
}

QByteArray hostileRdap(const QString& base) {
    return QStringLiteral(R"({"objectClassName": "domain", "ldhName": "EVIL.COM",
  "links": [{"rel": "related", "href": "%1/registrar/domain/EVIL.COM?x=\u001b]0;title\u0007",
             "type": "application/rdap+json"}],
  "status": ["ok\u202e\u001b[2J"],
  "entities": [{"objectClassName": "entity", "roles": ["registrar"],
    "vcardArray": ["vcard", [["version", {}, "text", "4.0"],
      ["fn", {}, "text", "Evil\u001b]52;c;ZXZpbA==\u0007\nInjected: line"]]]}],
  "events": [{"eventAction": "registration", "eventDate": "2020-01-01T00:00:00Z"}],
  "nameservers": [{"objectClassName": "nameserver", "ldhName": "NS1.EVIL.COM\u009b2J\u2028x"}]
})")
        .arg(base)
        .toUtf8();
}

struct HostileRegistries {
    FixtureServer http;
    WhoisFixture registry{[](const QString&) { return hostileWhois(); }};
    WhoisFixture iana{
        [this](const QString& tld) { return fakes::ianaReferral(tld, registry.hostPort()); }};

    HostileRegistries() {
        const QString base = http.base();
        const auto json = [](QByteArray body, int status = 200) {
            return FixtureServer::Page(status, "application/rdap+json", std::move(body));
        };
        http.add("/rdap/dns.json", json(fakes::dnsBootstrap(base)));
        http.add("/rdap/ipv4.json", json(fakes::ipv4Bootstrap(base)));
        http.add("/rdap/ipv6.json", json(fakes::ipv6Bootstrap(base)));
        http.add("/com/v1/domain/evil.com", json(hostileRdap(base)));
        http.add("/registrar/domain/EVIL.COM", json(fakes::registrarDomain()));
        http.add("/arin/ip/127.0.0.1",
                 json(fakes::network("NET\\u001b]0;title\\u0007", "127.0.0.0", "127.255.255.255",
                                     "Owner\xe2\x80\xae\\nInjected: line")));
        http.add("/arin/ip/::1",
                 json(R"({"errorCode": 500, "title": "down\u001b[2J\nInjected: line"})", 500));
    }

    QString iniFile(const QTemporaryDir& dir) const {
        const QString path = dir.filePath(QStringLiteral("hostile.ini"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(QStringLiteral("[endpoints]\nRdapBootstrapHost=%1\nWhoisHost=%2\n")
                    .arg(http.base(), iana.hostPort())
                    .toUtf8());
        return path;
    }
};

// What of text would act on a terminal: a control character other than the tab and the line
// feed the program lays its output out with and the CR of a record's CR LF, a C1 control, a
// bidirectional override or isolate, a line or paragraph separator.
QString actingOnTerminal(const QString& text) {
    QString found;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        const bool layout =
            u == u'\n' || u == u'\t' || (u == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n');
        if ((u < 0x20 && !layout) || (u >= 0x7F && u <= 0x9F) || (u >= 0x202A && u <= 0x202E) ||
            (u >= 0x2066 && u <= 0x2069) || u == 0x2028 || u == 0x2029)
            found += QStringLiteral("U+%1 ").arg(uint(u), 4, 16, QChar(u'0'));
    }
    return found;
}

} // namespace

TEST(NetinfoCliHostile, ControlCharactersFromServersReachTheTerminalEscaped) {
    HostileRegistries hostile;
    QTemporaryDir dir;
    const QString history = dir.filePath(QStringLiteral("history.sqlite"));
    const QStringList head{QStringLiteral("--endpoints"), hostile.iniFile(dir),
                           QStringLiteral("--history"), history};
    const struct {
        QStringList args;
        const char* shown; // what stands for the server's text on either output; %1 the server
    } cases[] = {
        {{"whois", "evil.cn"}, "注册商：Evil\\x1B]52;c;ZXZpbA==\\x07\\rInjected: line\n"},
        {{"whois", "evil.cn"}, "Name Server: ns1.evil.cn\\x1B[2J\r\n"},
        {{"whois", "evil.cn"}, "Domain Status: ok\\u202Edesrever"},
        {{"whois", "evil.com"}, "注册商：Evil\\x1B]52;c;ZXZpbA==\\x07\\nInjected: line\n"},
        {{"whois", "evil.com"}, "\\x9B2j\\u2028x"}, // name servers are written in lower case
        {{"whois", "evil.com"}, "状态：ok\\u202E\\x1B[2J\n"},
        {{"whois", "evil.com"},
         "=== 注册商 RDAP：%1/registrar/domain/EVIL.COM?x=\\x1B]0;title\\x07 ==="},
        {{"ip", "127.0.0.1"}, "NET\\x1B]0;title\\x07"},
        {{"ip", "127.0.0.1"}, "Owner\\u202E\\nInjected: line"},
        {{"ip", "::1"}, "down\\x1B[2J\\nInjected: line"},
        {{"history"}, "source rdap"},
        {{"history", "--tool", "whois"}, "Evil\\x1B]52;c;Z…"},
    };
    for (const auto& c : cases) {
        const QString what = c.args.join(u' ');
        const CliRun r = runCli(head + c.args);
        ASSERT_EQ(r.status, 0) << what.toStdString() << ": " << r.err.toStdString();
        EXPECT_TRUE(actingOnTerminal(r.out).isEmpty())
            << what.toStdString() << ": " << actingOnTerminal(r.out).toStdString();
        EXPECT_TRUE(actingOnTerminal(r.err).isEmpty())
            << what.toStdString() << ": " << actingOnTerminal(r.err).toStdString();
        const QString shown =
            QString::fromUtf8(c.shown).replace(QStringLiteral("%1"), hostile.http.base());
        EXPECT_TRUE((r.out + r.err).contains(shown))
            << what.toStdString() << ": " << (r.out + r.err).toStdString();
        for (const QString& line : (r.out + r.err).split(u'\n'))
            EXPECT_FALSE(line.startsWith(QStringLiteral("Injected"))) << what.toStdString();
    }

    // --json carries the texts as they came, in JSON's own escapes.
    const CliRun json = runCli(head + QStringList{QStringLiteral("--json"), QStringLiteral("whois"),
                                                  QStringLiteral("evil.com")});
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(json.out.toUtf8())
                  .object()
                  .value(QStringLiteral("registrar"))
                  .toString(),
              QStringLiteral("Evil\x1b]52;c;ZXZpbA==\x07\nInjected: line"));
}
