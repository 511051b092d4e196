#pragma once

#include "base/progress.h"
#include "net/stop.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QAbstractButton;
class QLabel;
class QThread;
class QWidget;

// One network tool's runs beside the window. The work runs on a thread of its own and hands
// what it finds to the window's thread through post(); meanwhile the tool's page shows the busy
// pointer and a status line, its start button reads "停止" and stops the run, and so does Esc on
// the page. One run at a time per tool. Whoever makes it owns it alone (it is no child of the
// page) and must destroy it before the page and whatever its work uses.
class ToolRun : public QObject {
    Q_OBJECT
public:
    enum class End { Done, Failed, Stopped };
    struct Outcome {
        End end = End::Done;
        QString error; // the failure's description
        QString step;  // what was being asked when it ended, as the status line said
    };
    // Whether the busy pointer leaves the page before finished shows its error box, or after.
    enum class Pointer { BeforeBox, AfterBox };
    using Work = std::function<void(ToolRun& run)>;
    using Finished = std::function<void(const Outcome& outcome)>;

    ToolRun(QWidget* page, QAbstractButton* button);
    ~ToolRun() override; // stops the run and waits for its thread to end

    bool running() const { return thread_ != nullptr; }

    // Starts work unless a run is going on; finished is called on the window's thread after
    // everything work posted, with the button and status line restored, and the busy pointer as
    // pointer says.
    void start(Work work, Finished finished, Pointer pointer = Pointer::BeforeBox);

    // Asks the run to stop; its transfer in flight ends within 50 ms. Returns at once.
    void stop();
    // What the start button does while a run goes on: stops it, and says so.
    bool stopIfRunning() {
        if (running())
            stop();
        return running();
    }

    // Stops the run and waits at most ms for its thread; whether it ended.
    bool stopAndWait(int ms);

    // From the work's thread: calls fn on the window's thread, in the order posted.
    void post(std::function<void()> fn);

    // From the work's thread: a Progress that shows each step on the status line.
    Progress progress();

    // After a run, from finished: what its results cannot say by themselves (how many engines
    // failed), on the status line until the next run starts. Nothing when text is empty.
    void showSummary(const QString& text);

private:
    void showStatus(const QString& text);
    void finish(const Outcome& outcome, const Finished& finished, Pointer pointer);

    QWidget* page_;
    QAbstractButton* button_;
    QString caption_;
    QLabel* status_;
    QThread* thread_ = nullptr;
    std::shared_ptr<StopFlag> stop_;
    QString step_; // the window thread's copy of the step shown
};
