#pragma once

#include "history/run_record.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <chrono>
#include <optional>

// The rank tracker's daily run as a systemd user timer and the service it starts.

// "tessivo-track": the units are <name>.timer and <name>.service.
extern const char* const kScheduleUnit;

// The user's unit folder: $XDG_CONFIG_HOME/systemd/user, or ~/.config/systemd/user.
QString scheduleFolder();

struct ScheduleUnits {
    QString timer;
    QString service;
};

// The units of a run of command (the program's absolute path, then its arguments) every day at
// daily, local time; a day the computer was off runs when it next starts (Persistent).
ScheduleUnits scheduleUnits(QTime daily, const QStringList& command);

// Writes both units into folder (made if missing); raises ToolError naming a file it cannot
// write. Returns the timer's path.
QString writeSchedule(const QString& folder, QTime daily, const QStringList& command);
// Removes both units; returns whether there was a schedule.
bool removeSchedule(const QString& folder);

// The time of day the timer in folder runs at, read back from its OnCalendar; none when there
// is no timer or it says no daily time of ours.
std::optional<QTime> scheduledTime(const QString& folder);
// When the timer in folder was written; invalid when there is none.
QDateTime scheduleWritten(const QString& folder);

// "08:00" as a time of day; none for anything else ("8:00", "24:00", "08:00:00").
std::optional<QTime> dailyTime(const QString& text);

// A run may start this late and still count for its day: systemd starts a missed run at the
// next boot, and the run itself takes a while.
constexpr std::chrono::hours kScheduleGrace{1};

// The first daily time strictly after after, in local time.
QDateTime nextDaily(QTime daily, const QDateTime& after);

// Whether the schedule missed a run: the first daily time after since (the last run's start,
// or when the schedule was written if it never ran) is more than the grace ago at now.
bool missedRun(QTime daily, const QDateTime& since, const QDateTime& now);

// systemctl --user's steps that start and stop the timer written above: what systemctl said when
// it did not do what was asked (or that there is none), empty when it did.
QString enableSchedule();
QString disableSchedule();

class HistoryStore;

// The schedule as the user is told it: the time of day, the last run of the list (a track-run
// record), the next, and whether the last failed or a run was missed.
struct ScheduleState {
    std::optional<QTime> daily;    // none: no schedule
    std::optional<RunRecord> last; // none: the list never ran
    QDateTime next;                // invalid without a schedule
    QDateTime missedAt;            // the daily time that passed without a run; invalid if none
    bool failed = false;           // the last run did not end done
};
ScheduleState scheduleState(const HistoryStore& store, const QString& folder, const QDateTime& now);

// The state in lines, the alarming ones (a failed or missed run) marked: "计划：每天 08:00",
// "上次运行：…", "下次运行：…", "错过了运行：…".
struct ScheduleLine {
    QString text;
    bool alarm = false;
};
QList<ScheduleLine> scheduleLines(const ScheduleState& state);
