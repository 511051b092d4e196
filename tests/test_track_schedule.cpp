#include "base/tool_error.h"
#include "fixture_server.h"
#include "net/http_fetch.h"
#include "tools/track_alerts.h"
#include "tools/track_schedule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QDateTime local(int day, int hour, int minute) {
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute));
}

TEST(TrackSchedule, TimesOfDayAreTwoDigitsEach) {
    const struct {
        const char* typed;
        std::optional<QTime> time;
    } cases[] = {
        {"08:00", QTime(8, 0)},
        {"23:59", QTime(23, 59)},
        {"00:00", QTime(0, 0)},
        {"8:00", {}},
        {"24:00", {}},
        {"08:60", {}},
        {"08:00:00", {}},
        {" 08:00", {}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dailyTime(QString::fromUtf8(c.typed)), c.time) << c.typed;
}

TEST(TrackSchedule, TheNextRunIsTheFirstDailyTimeAfter) {
    const struct {
        QDateTime after;
        QDateTime next;
    } cases[] = {
        {local(8, 7, 59), local(8, 8, 0)},
        {local(8, 8, 0), local(9, 8, 0)}, // a run at 08:00 sharp is today's
        {local(8, 8, 1), local(9, 8, 0)},
        {local(31, 23, 0), QDateTime(QDate(2027, 1, 1), QTime(8, 0))},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nextDaily(QTime(8, 0), c.after), c.next) << c.after.toString().toStdString();
}

TEST(TrackSchedule, ARunIsMissedOnlyPastTheGraceAfterItsTime) {
    const struct {
        const char* name;
        QDateTime since; // the last run's start, or when the schedule was written
        QDateTime now;
        bool missed;
    } cases[] = {
        {"ran this morning", local(8, 8, 2), local(8, 20, 0), false},
        {"tomorrow's is not due", local(8, 8, 2), local(9, 8, 30), false},
        {"tomorrow's within the grace", local(8, 8, 2), local(9, 8, 59), false},
        {"tomorrow's past the grace", local(8, 8, 2), local(9, 9, 1), true},
        {"two days without a run", local(6, 8, 0), local(8, 7, 0), true},
        {"written after today's time", local(8, 10, 0), local(9, 7, 0), false},
        {"written, never ran", local(8, 6, 0), local(8, 9, 30), true},
        {"nothing to go by", QDateTime(), local(8, 9, 30), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(missedRun(QTime(8, 0), c.since, c.now), c.missed) << c.name;
}

class ScheduleFiles : public ::testing::Test {
protected:
    // A program in a folder whose name holds what systemd would read as its own.
    QString program() const {
        const QString folder = dir.filePath(QStringLiteral("my tools 100% $HOME"));
        QDir().mkpath(folder);
        const QString path = folder + QStringLiteral("/tessivo-cli");
        QFile::copy(QStringLiteral("/bin/true"), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
        return path;
    }
    QString units() const { return dir.filePath(QStringLiteral("units")); }
    QTemporaryDir dir;
};

TEST_F(ScheduleFiles, TheUnitsRunTheProgramDailyAndCatchUp) {
    const ScheduleUnits u =
        scheduleUnits(QTime(7, 5), {QStringLiteral("/opt/a b/tessivo-cli"), QStringLiteral("track"),
                                    QStringLiteral("run")});
    EXPECT_TRUE(u.timer.contains(QStringLiteral("\nOnCalendar=*-*-* 07:05:00\n")));
    EXPECT_TRUE(u.timer.contains(QStringLiteral("\nPersistent=true\n")));
    EXPECT_TRUE(u.timer.contains(QStringLiteral("\nUnit=tessivo-track.service\n")));
    EXPECT_TRUE(u.timer.contains(QStringLiteral("\nWantedBy=timers.target\n")));
    EXPECT_TRUE(u.service.contains(
        QStringLiteral("\nExecStart=\"/opt/a b/tessivo-cli\" \"track\" \"run\"\n")));
    EXPECT_TRUE(u.service.contains(QStringLiteral("\nType=oneshot\n")));

    // Specifiers are doubled everywhere, variables and escapes in the arguments alone.
    const ScheduleUnits odd = scheduleUnits(
        QTime(8, 0), {QStringLiteral("/opt/100% $x/tessivo-cli"), QStringLiteral("--history"),
                      QStringLiteral("/h/\"q\" 5% $HOME\\n.sqlite")});
    EXPECT_TRUE(odd.service.contains(
        QStringLiteral("\nExecStart=\"/opt/100%% $x/tessivo-cli\" \"--history\" "
                       "\"/h/\\\"q\\\" 5%% $$HOME\\\\n.sqlite\"\n")))
        << odd.service.toStdString();
    for (const char* path : {"/opt/a\"b/tessivo-cli", "/opt/a\\b/tessivo-cli", "/opt/a\tb/x"})
        EXPECT_THROW(scheduleUnits(QTime(8, 0), {QString::fromUtf8(path)}), ToolError) << path;
}

TEST_F(ScheduleFiles, WrittenUnitsGiveTheirTimeBackAndGoWhenRemoved) {
    EXPECT_EQ(scheduledTime(units()), std::nullopt);
    EXPECT_FALSE(scheduleWritten(units()).isValid());
    const QString timer = writeSchedule(units(), QTime(21, 30), {program(), QStringLiteral("run")});
    EXPECT_EQ(timer, units() + QStringLiteral("/tessivo-track.timer"));
    EXPECT_TRUE(QFile::exists(units() + QStringLiteral("/tessivo-track.service")));
    EXPECT_EQ(scheduledTime(units()), QTime(21, 30));
    EXPECT_TRUE(scheduleWritten(units()).isValid());
    writeSchedule(units(), QTime(6, 0), {program(), QStringLiteral("run")});
    EXPECT_EQ(scheduledTime(units()), QTime(6, 0));
    EXPECT_TRUE(removeSchedule(units()));
    EXPECT_FALSE(removeSchedule(units()));
    EXPECT_EQ(scheduledTime(units()), std::nullopt);
}

// systemd-analyze checks the syntax, the timer's unit and that ExecStart's program exists and
// runs: a path quoted wrong names a program that does not.
TEST_F(ScheduleFiles, SystemdAcceptsTheUnits) {
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        GTEST_SKIP() << "systemd-analyze is not installed";
    writeSchedule(units(), QTime(8, 0),
                  {program(), QStringLiteral("--history"), QStringLiteral("/a b/$x \"q\".sqlite"),
                   QStringLiteral("track"), QStringLiteral("run")});
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(analyze, {QStringLiteral("verify"), units() + QStringLiteral("/tessivo-track.timer"),
                      units() + QStringLiteral("/tessivo-track.service")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();

    QFile::remove(program());
    p.start(analyze, {QStringLiteral("verify"), units() + QStringLiteral("/tessivo-track.timer"),
                      units() + QStringLiteral("/tessivo-track.service")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_NE(p.exitCode(), 0) << "a missing program must be refused, or the test shows nothing";
}

Figure at(std::optional<int> position, Why why = Why::None) {
    Figure f;
    f.label = QStringLiteral("bing");
    if (position)
        f.number = *position;
    else
        f.why = why;
    return f;
}

TEST(TrackAlerts, MovesAreCrossingsOfTheTopThreeAndTen) {
    const struct {
        const char* name;
        std::optional<Figure> before;
        Figure now;
        std::vector<std::pair<int, bool>> moves; // top, entered
    } cases[] = {
        {"first check", std::nullopt, at(1), {}},
        {"within the top 3", at(3), at(1), {}},
        {"into the top 3", at(4), at(3), {{3, true}}},
        {"out of the top 3", at(2), at(5), {{3, false}}},
        {"into the top 10 from afar", at(11), at(10), {{10, true}}},
        {"from nowhere to first", at({}, Why::NotFound), at(1), {{3, true}, {10, true}}},
        {"from first to nowhere", at(1), at({}, Why::NotFound), {{3, false}, {10, false}}},
        {"below the top 10 either way", at(12), at(40), {}},
        {"blocked now says nothing", at(1), at({}, Why::Blocked), {}},
        {"failed now says nothing", at(1), at({}, Why::Failed), {}},
    };
    for (const auto& c : cases) {
        const QList<RankMove> moves = rankMoves(QStringLiteral("a.cn"), QStringLiteral("站长"),
                                                c.before ? &*c.before : nullptr, c.now);
        ASSERT_EQ(size_t(moves.size()), c.moves.size()) << c.name;
        for (size_t i = 0; i < c.moves.size(); ++i) {
            EXPECT_EQ(moves[qsizetype(i)].top, c.moves[i].first) << c.name;
            EXPECT_EQ(moves[qsizetype(i)].entered, c.moves[i].second) << c.name;
            EXPECT_EQ(moves[qsizetype(i)].engine, QStringLiteral("bing")) << c.name;
        }
    }
    const RankMove out{QStringLiteral("a.cn"),
                       QStringLiteral("站长"),
                       QStringLiteral("bing"),
                       10,
                       false,
                       4,
                       std::nullopt};
    EXPECT_EQ(moveText(out), QStringLiteral("a.cn “站长” 在 bing 跌出前 10（第 4 位 → 未找到）"));
}

TEST(TrackAlerts, TheWebhookAddressIsKeptUntilTakenAway) {
    EXPECT_TRUE(webhookAddress().isEmpty());
    setWebhookAddress(QStringLiteral("https://hooks.example.com/a%20b?x=1&y=\"2\""));
    EXPECT_EQ(webhookAddress(), QStringLiteral("https://hooks.example.com/a%20b?x=1&y=\"2\""));
    setWebhookAddress({});
    EXPECT_TRUE(webhookAddress().isEmpty());
    setWebhookAddress({});
}

TEST(TrackAlerts, TheWebhookGetsTheMovesAsJson) {
    FixtureServer server;
    server.add("/hook", FixtureServer::Page(204, "text/plain", ""));
    server.add("/gone", FixtureServer::Page(410, "text/plain", "gone"));
    const QList<RankMove> moves{
        {QStringLiteral("a.cn"), QStringLiteral("站长"), QStringLiteral("sogou"), 3, true, 7, 2}};
    CurlFetcher fetcher;
    postMoves(fetcher, server.base() + QStringLiteral("/hook"), movesJson(moves));
    ASSERT_EQ(server.requests(), QStringList{QStringLiteral("/hook")});
    EXPECT_EQ(server.requestHeader("Content-Type"),
              QStringList{QStringLiteral("application/json")});
    const QJsonObject sent = QJsonDocument::fromJson(server.requestBodies()[0]).object();
    const QJsonObject move = sent.value(u"moves").toArray().at(0).toObject();
    EXPECT_EQ(move, (QJsonObject{{"site", "a.cn"},
                                 {"keyword", "站长"},
                                 {"engine", "sogou"},
                                 {"top", 3},
                                 {"entered", true},
                                 {"before", 7},
                                 {"now", 2}}));
    try {
        postMoves(fetcher, server.base() + QStringLiteral("/gone"), movesJson(moves));
        ADD_FAILURE() << "a 410 was taken for delivered";
    } catch (const ToolError& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("410"))) << e.what();
    }
}

} // namespace
