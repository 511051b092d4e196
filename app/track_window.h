#pragma once

#include "net/endpoint_table.h"
#include "net/stop.h"

#include <QWidget>
#include <chrono>
#include <memory>

class Fetcher;
class QChartView;
class QCloseEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QThread;
class QTimeEdit;
class RunHistory;

// 排名跟踪 beside the main window: the tracked keywords, a row each, with each engine's last
// answer in words and colour and its move; adding and removing them; 立即检查 with its progress
// and 停止; the daily schedule with its last and next run (red when a run failed or was missed);
// the engines whose pages were last not recognised; one keyword's positions over time. The checks
// run on a thread of its own and are recorded in the history; Esc or 停止 stop them within a
// second, and so does closing the window. Opened from the rank page, the tray and Ctrl+K.
class TrackWindow : public QWidget {
    Q_OBJECT
public:
    // The list lives in history's store: without one the window says so and offers nothing.
    // fetcher answers the checks at the engines' endpoints (the demo's in demo mode, which also
    // marks the records).
    TrackWindow(RunHistory* history, Fetcher& fetcher, const EndpointTable& endpoints, bool demo,
                QWidget* parent = nullptr);
    ~TrackWindow() override; // stops the checks and waits for their thread

    bool running() const { return thread_ != nullptr; }
    // The least time between two requests to one engine (5 s, with a random part up to half of
    // it, so that a list of keywords does not look like a robot); the demo's pages come at once.
    void setDelay(std::chrono::milliseconds delay) { delay_ = delay; }
    // The site and keyword typed on the rank page, offered for adding.
    void offer(const QString& site, const QString& keyword);

public slots:
    // Reads the list, the last answers, the schedule and the engines' state again.
    void reload();
    // 立即检查 while idle, 停止 while checks go on.
    void checkOrStop();

signals:
    // A check of the list ended, done, failed or stopped, and its answers are shown.
    void finished();

private:
    void addPairs();
    void removeSelected();
    void check();
    void finish(const QString& error);
    void showSchedule();
    void setSchedule();
    void removeSchedule();
    void showEngineWarnings();
    void drawSelected();
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    RunHistory* history_;
    Fetcher& fetcher_;
    EndpointTable endpoints_;
    bool demo_;
    std::chrono::milliseconds delay_;
    QLineEdit* site_;
    QLineEdit* keywords_;
    QPushButton* add_;
    QPushButton* remove_;
    QTableWidget* table_;
    QPushButton* check_;
    QProgressBar* bar_;
    QLabel* status_;
    QTimeEdit* daily_;
    QPushButton* setSchedule_;
    QPushButton* removeSchedule_;
    QLabel* schedule_;
    QLabel* engines_;
    QChartView* chart_;
    QThread* thread_ = nullptr;
    std::shared_ptr<StopFlag> stop_;
    int checksDone_ = 0;
};
