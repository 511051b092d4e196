#pragma once

#include "audit/site_audit.h"
#include "net/endpoint_table.h"
#include "net/stop.h"
#include "tools/audit_files.h"

#include <QWidget>
#include <memory>
#include <optional>

class Fetcher;
class QCheckBox;
class QCloseEvent;
class QComboBox;
class QDoubleSpinBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QThread;
class RecordedRun;
class RunHistory;
class SubmitPage;

// 网站体检 beside the main window: a site's address and the crawl's bounds, 开始/停止, the
// progress, the faults (filtered by kind, with the pages that link to each) and the pages, and
// their export. The crawl runs on a thread of its own; Esc or 停止 stop it within a second,
// and so does closing the window. Opened from the main window (Ctrl+J) and the tray. Its second
// page, 链接提交, hands the audit's pages to the engines.
class AuditWindow : public QWidget {
    Q_OBJECT
public:
    // history may be null: the audits and pushes are then not recorded. demo marks the records.
    // The pushes go through fetcher to the endpoints; fetcher must outlive the window.
    AuditWindow(RunHistory* history, bool demo, Fetcher& fetcher, const EndpointTable& endpoints,
                QWidget* parent = nullptr);
    ~AuditWindow() override; // stops the crawl and waits for its thread

    bool running() const { return thread_ != nullptr; }
    // The site typed on a page of the main window, as the address to audit; a crawl going on
    // keeps its own.
    void offerSite(const QString& site);
    SubmitPage* submitPage() const { return submit_; }
    const AuditReport& report() const { return report_; }

public slots:
    // 开始 while idle, 停止 while a crawl goes on.
    void startOrStop();

signals:
    // A crawl ended, done, failed or stopped, and its findings are shown.
    void finished();

private:
    void start();
    void showProgress(const AuditProgress& p);
    void finish(const QString& error);
    void showFaults();
    void filterFaults();
    void showPages();
    void exportCsv();
    void exportDeadLinks();
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    RunHistory* history_;
    bool demo_;
    QLineEdit* address_;
    QSpinBox* maxPages_;
    QSpinBox* maxDepth_;
    QSpinBox* concurrency_;
    QDoubleSpinBox* rate_;
    QCheckBox* resume_;
    QPushButton* start_;
    QProgressBar* bar_;
    QLabel* status_;
    QComboBox* kinds_;
    QTableWidget* faults_;
    QTableWidget* pages_;
    QPushButton* exportCsv_;
    QPushButton* exportDeadLinks_;
    SubmitPage* submit_;
    QThread* thread_ = nullptr;
    std::shared_ptr<StopFlag> stop_;
    AuditReport report_;
    QString state_;                       // the crawl's state file
    std::optional<AuditChanges> changes_; // since the last whole audit of the site
    std::unique_ptr<RecordedRun> record_; // the crawl going on's
};
