#include "tools/track_schedule.h"

#include "base/saved_file.h"
#include "base/tool_error.h"
#include "history/history_store.h"
#include "tools/tool_registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <utility>

const char* const kScheduleUnit = "tessivo-track";

namespace {

QString unitPath(const QString& folder, const char* suffix) {
    return QDir(folder).filePath(QLatin1String(kScheduleUnit) + QLatin1String(suffix));
}

// systemd splits ExecStart at blanks outside quotes, reads backslash escapes inside them and
// expands % specifiers everywhere and $ variables in the arguments: an argument such as a
// history file in a folder named "a b%c" must come through as it is.
QString execArgument(const QString& word) {
    QString quoted = word;
    quoted.replace(u'\\', QLatin1String("\\\\"))
        .replace(u'"', QLatin1String("\\\""))
        .replace(u'%', QLatin1String("%%"))
        .replace(u'$', QLatin1String("$$"));
    return u'"' + quoted + u'"';
}

// The program's own path is taken as written but for the specifiers, and systemd refuses one
// with a quote, a backslash or a control character in it.
QString execProgram(const QString& path) {
    for (const QChar c : path)
        if (c == u'"' || c == u'\\' || c.category() == QChar::Other_Control)
            throw ToolError(
                QStringLiteral("systemd 不能运行路径中含引号、反斜杠或控制字符的程序 %1；"
                               "请把它放到别的文件夹中再设置计划")
                    .arg(path));
    return u'"' + QString(path).replace(u'%', QLatin1String("%%")) + u'"';
}

} // namespace

QString scheduleFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/systemd/user");
}

ScheduleUnits scheduleUnits(QTime daily, const QStringList& command) {
    QStringList words{execProgram(command.value(0))};
    for (const QString& word : command.mid(1))
        words << execArgument(word);
    const QString unit = QLatin1String(kScheduleUnit);
    return {
        QStringLiteral("[Unit]\n"
                       "Description=Tessivo rank tracking, every day at %1\n"
                       "\n"
                       "[Timer]\n"
                       "OnCalendar=*-*-* %1:00\n"
                       "Persistent=true\n"
                       "Unit=%2.service\n"
                       "\n"
                       "[Install]\n"
                       "WantedBy=timers.target\n")
            .arg(daily.toString(QStringLiteral("HH:mm")), unit),
        QStringLiteral("[Unit]\n"
                       "Description=Tessivo rank tracking: checks every tracked keyword\n"
                       "Wants=network-online.target\n"
                       "After=network-online.target\n"
                       "\n"
                       "[Service]\n"
                       "Type=oneshot\n"
                       "ExecStart=%1\n")
            .arg(words.join(u' ')),
    };
}

QString writeSchedule(const QString& folder, QTime daily, const QStringList& command) {
    if (!QDir().mkpath(folder))
        throw ToolError(QStringLiteral("无法建立文件夹 %1").arg(folder));
    const ScheduleUnits units = scheduleUnits(daily, command);
    // The service first: a timer never points at a unit that is not there yet.
    saveFile(unitPath(folder, ".service"), units.service.toUtf8());
    const QString timer = unitPath(folder, ".timer");
    saveFile(timer, units.timer.toUtf8());
    return timer;
}

bool removeSchedule(const QString& folder) {
    const bool timer = QFile::remove(unitPath(folder, ".timer"));
    const bool service = QFile::remove(unitPath(folder, ".service"));
    return timer || service;
}

std::optional<QTime> scheduledTime(const QString& folder) {
    QFile file(unitPath(folder, ".timer"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    static const QRegularExpression calendar(
        QStringLiteral("^OnCalendar=\\*-\\*-\\* (\\d\\d:\\d\\d):00$"),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = calendar.match(QString::fromUtf8(file.read(64 * 1024)));
    return m.hasMatch() ? dailyTime(m.captured(1)) : std::nullopt;
}

QDateTime scheduleWritten(const QString& folder) {
    const QFileInfo timer(unitPath(folder, ".timer"));
    return timer.exists() ? timer.lastModified() : QDateTime();
}

std::optional<QTime> dailyTime(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^\\d\\d:\\d\\d$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    const QTime time = QTime::fromString(text, QStringLiteral("HH:mm"));
    return time.isValid() ? std::optional(time) : std::nullopt;
}

QDateTime nextDaily(QTime daily, const QDateTime& after) {
    const QDateTime local = after.toLocalTime();
    QDateTime next(local.date(), daily);
    if (next <= local)
        next = QDateTime(local.date().addDays(1), daily);
    return next;
}

bool missedRun(QTime daily, const QDateTime& since, const QDateTime& now) {
    if (!since.isValid())
        return false;
    const QDateTime due = nextDaily(daily, since);
    return due.addSecs(std::chrono::seconds(kScheduleGrace).count()) < now;
}

namespace {

// What systemctl said when it did not do what was asked; empty when it did.
QString systemctl(const QStringList& args) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("systemctl"));
    if (program.isEmpty())
        return QStringLiteral("没有 systemctl");
    QProcess p;
    p.start(program, QStringList{QStringLiteral("--user")} << args);
    if (!p.waitForFinished(30000))
        return QStringLiteral("systemctl 没有结束");
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    return {};
}

QString timerUnit() {
    return QLatin1String(kScheduleUnit) + QStringLiteral(".timer");
}

QString localTime(const QDateTime& t) {
    return t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

// A run of the list's counts as the user reads them: its figures are labelled by the outcomes'
// keys.
QString countWord(const QString& label) {
    static const std::pair<const char*, const char*> words[] = {
        {"found", "找到"},   {"not_found", "未找到"},
        {"blocked", "受阻"}, {"unrecognised", "页面无法识别"},
        {"failed", "失败"},  {"skipped", "跳过"}};
    for (const auto& [key, word] : words)
        if (label == QLatin1String(key))
            return QString::fromUtf8(word);
    return label;
}

QString endWord(RunEnd end) {
    switch (end) {
    case RunEnd::Done:
        return QStringLiteral("完成");
    case RunEnd::Failed:
        return QStringLiteral("失败");
    case RunEnd::Partial:
        return QStringLiteral("部分检查没有答案");
    case RunEnd::Stopped:
        break;
    }
    return QStringLiteral("已停止");
}

} // namespace

QString enableSchedule() {
    QString problem = systemctl({QStringLiteral("daemon-reload")});
    if (problem.isEmpty())
        problem = systemctl({QStringLiteral("enable"), QStringLiteral("--now"), timerUnit()});
    return problem;
}

QString disableSchedule() {
    const QString problem =
        systemctl({QStringLiteral("disable"), QStringLiteral("--now"), timerUnit()});
    systemctl({QStringLiteral("daemon-reload")});
    return problem;
}

ScheduleState scheduleState(const HistoryStore& store, const QString& folder,
                            const QDateTime& now) {
    ScheduleState s;
    s.daily = scheduledTime(folder);
    HistoryQuery last;
    last.tool = QLatin1String(toolEntry(Tool::TrackRun).key);
    last.limit = 1;
    const QList<RunRecord> runs = store.runs(last);
    if (!runs.isEmpty())
        s.last = runs.front();
    s.failed = s.last && s.last->end != RunEnd::Done;
    if (!s.daily)
        return s;
    s.next = nextDaily(*s.daily, now);
    const QDateTime since = s.last ? s.last->started : scheduleWritten(folder);
    if (missedRun(*s.daily, since, now))
        s.missedAt = nextDaily(*s.daily, since);
    return s;
}

QList<ScheduleLine> scheduleLines(const ScheduleState& s) {
    QList<ScheduleLine> lines;
    lines << ScheduleLine{
        s.daily ? QStringLiteral("计划：每天 %1").arg(s.daily->toString(QStringLiteral("HH:mm")))
                : QStringLiteral("计划：没有"),
        false};
    if (s.last) {
        QStringList counts;
        for (const Figure& f : s.last->figures)
            counts << countWord(f.label) + u' ' + f.text;
        QString line = QStringLiteral("上次运行：%1 至 %2，%3（%4）")
                           .arg(localTime(s.last->started), localTime(s.last->ended),
                                endWord(s.last->end), counts.join(QStringLiteral("，")));
        if (s.failed)
            line += QStringLiteral("：") + s.last->error;
        lines << ScheduleLine{line, s.failed};
    } else {
        lines << ScheduleLine{QStringLiteral("上次运行：还没有"), false};
    }
    if (s.next.isValid())
        lines << ScheduleLine{QStringLiteral("下次运行：%1").arg(localTime(s.next)), false};
    if (s.missedAt.isValid())
        lines << ScheduleLine{
            QStringLiteral("错过了运行：%1 之后计划的运行没有发生（电脑关着，或计划被停用"
                           "；systemctl --user status %2 可查看）")
                .arg(localTime(s.missedAt), timerUnit()),
            true};
    return lines;
}
