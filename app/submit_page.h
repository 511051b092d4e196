#pragma once

#include "net/endpoint_table.h"
#include "net/stop.h"
#include "tools/tool_registry.h"

#include <QDateTime>
#include <QJsonObject>
#include <QWidget>
#include <functional>
#include <memory>

class Fetcher;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QThread;
class RecordedRun;
class RunHistory;

// 链接提交, the page beside the audit: the addresses of the last audit's indexable pages or of a
// list file, written as sitemaps to a folder the user picks, pushed to Baidu (the token typed
// into a password field, kept only when asked, the day's quota shown from Baidu's last answer)
// or sent to IndexNow after its key file is checked. A push runs on a thread of its own and is
// recorded in the history as tessivo-cli records it; 停止 ends it within a second, and so does
// closing the page.
class SubmitPage : public QWidget {
    Q_OBJECT
public:
    // auditPages gives the last audit's pages that belong in a sitemap. history may be null: the
    // pushes are then not recorded. demo marks the records. fetcher must outlive the page.
    SubmitPage(RunHistory* history, bool demo, Fetcher& fetcher, EndpointTable endpoints,
               std::function<QStringList()> auditPages, QWidget* parent = nullptr);
    ~SubmitPage() override; // stops the push and waits for its thread

    bool running() const { return thread_ != nullptr; }
    void stop();

    // Where the token of site's Baidu push is kept when the user asks: a file only the user
    // can read, in the program's configuration folder.
    static QString tokenFile(const QString& site);

signals:
    // A push ended, done, failed or stopped, and its answer is shown.
    void finished();

private:
    using Work = std::function<void(RecordedRun& record)>;

    void writeSitemap();
    void pushBaidu();
    void pushIndexNow();
    void siteChanged();
    // The day's remaining quota from the last push of the site in the history.
    void showQuota();
    // remain, as Baidu answered at at: today's quota, or yesterday's when Baidu's day has turned.
    void showQuota(const QString& remain, const QDateTime& at);
    void keepOrForgetToken(const QString& site, const QString& token);
    // The addresses chosen, of host; what was left out is told. Empty when there are none.
    QStringList addresses(const QString& host);
    void start(Tool tool, const QString& host, const QJsonObject& asked, Work work);
    void finish(const QString& error, bool stopped);
    void tell(const QString& line);
    void post(std::function<void()> fn);

    RunHistory* history_;
    bool demo_;
    Fetcher& fetcher_;
    EndpointTable endpoints_;
    std::function<QStringList()> auditPages_;
    QLineEdit* site_;
    QRadioButton* fromAudit_;
    QRadioButton* fromList_;
    QLineEdit* listFile_;
    QCheckBox* baiduLimit_;
    QPushButton* writeSitemap_;
    QLineEdit* token_;
    QCheckBox* keepToken_;
    QLabel* quota_;
    QPushButton* pushBaidu_;
    QLineEdit* key_;
    QLineEdit* keyLocation_;
    QLabel* keyCheck_;
    QPushButton* pushIndexNow_;
    QProgressBar* bar_;
    QPushButton* stop_;
    QLabel* status_;
    QPlainTextEdit* answers_;
    QThread* thread_ = nullptr;
    std::shared_ptr<StopFlag> stopFlag_;
    std::unique_ptr<RecordedRun> record_; // the push going on's
};
