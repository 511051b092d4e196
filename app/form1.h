#pragma once

#include "app/tool_run.h"
#include "net/endpoint_table.h"
#include "net/http_fetch.h"
#include "net/resolver.h"
#include "net/whois_client.h"
#include "rank/keyword_rank.h"
#include "tools/recorded_run.h"
#include "tools/tool_registry.h"

#include <QJsonObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>

namespace Ui {
class Form1;
}
class HistoryStore;
class HistoryWindow;
class AuditWindow;
class TrackWindow;
class QCheckBox;
class QLineEdit;
class WebView;

// The program's one window. How it looks is form1.ui's business; its handlers are glue: read the
// controls, run the tool, write the controls, and show the error box when the tool fails.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // The start-up sequence runs here, before the caller shows the window. endpointsFile, when
    // given, overrides the endpoints after config/endpoints.ini beside the program.
    explicit Form1(Fetcher& fetcher, const QString& endpointsFile = {}, QWidget* parent = nullptr);
    ~Form1() override; // stops the tools still running and waits for them

    // Whether any network tool is running beside the window.
    bool toolsRunning() const;

    // The history database, or nullptr when it could not be opened (the user was told why). It
    // opens once the window has painted, or sooner when something asks for it.
    HistoryStore* history();
    // Where the IP and WHOIS lookups resolve names and send their port-43 queries: the system's
    // resolver and TCP unless told otherwise (the demo, the tests). Both must outlive the window.
    void useLookups(Resolver& resolver, WhoisClient& whois);

    // The address of the most recent Baidu period query; the link label opens it.
    QString strBaiduUrl;

    // The runs are recorded as made-up demo data (the window was started with --demo).
    bool demoRuns = false;

public slots:
    void cmdQuery_Click();
    void cmdLink_Click();
    void cmdBaidu_Click();
    void cmdPr_Click();
    void cmdKeyWord_Click();
    void cmdRelateAndIndex_Click();
    void cmdFrequency_Click();
    void cmdCn_bbs_Click();
    void cmdCn_Blog_Click();
    void cmdCn_btoc_Click();
    void cmdCn_search_Click();
    void cmdEn_blog_Click();
    void cmdEn_Search_Click();
    void lvHouse_DblClick();
    void cmdStoT_Click();
    void cmdTtoS_Click();
    // Ctrl+H and the tray's menu: the history window, or why there is none.
    void showHistory();
    // Ctrl+J and the tray's menu: 网站体检, a window of its own.
    void showAudit();
    // 排名跟踪, offered the site and keyword typed on the rank page.
    void showTracker();
    void cmdIpQuery_Click();
    void cmdWhoisQuery_Click();

public:
    // Appends one row to lvHouse: its number, the site name and the address.
    void addDatatoLv(const QString& strWebSite, const QString& strWebUrl);

protected:
    // lblUrl behaves like a hyperlink: red under the pointer, blue once it leaves, and a click
    // opens strBaiduUrl in the default browser.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closing stops every running tool and closes the history and audit windows.
    void closeEvent(QCloseEvent* event) override;
    // After the first paint: what the page shown does not need.
    bool event(QEvent* event) override;
    // The form's font names the installed family before any control inherits it.
    void changeEvent(QEvent* event) override;

private:
    void setLinkColour(const QColor& colour);
    void startUp(const QString& endpointsFile);
    void openHistory();
    void focusFirstInput();
    // The pictures of the page, once, and every picture of the window when page is null.
    void loadArtwork(const QWidget* page);
    void runSiteSurvey(ToolRun& run, Tool tool, QLineEdit* input, WebView* view);
    void wireRankChoices();
    RankChoice rankChoice() const;
    QLineEdit* rankBox(RankBox box) const;
    QCheckBox* rankCheckBox(RankBox box) const;
    // Every network tool's run, for what concerns them all.
    std::array<ToolRun*, 9> runs() const;
    // A run's record: begun when the run starts, filled by its work, saved when it finishes.
    using Recording = std::shared_ptr<RecordedRun>;
    Recording beginRecording(Tool tool, const QStringList& inputs, const QJsonObject& asked = {});
    void loadDirectory(const char* name);
    void wireConversionChoices();
    // Through the page's choice: the tables in the button's direction, or OpenCC's configuration.
    void convertScript(bool toTraditional);

    std::unique_ptr<Ui::Form1> ui;
    Fetcher& fetcher_;
    EndpointTable endpoints_;
    SystemResolver systemResolver_;
    TcpWhoisClient tcpWhois_;
    Resolver* resolver_ = &systemResolver_;
    WhoisClient* whois_ = &tcpWhois_;
    // One per network tool; each stops and waits for its run when destroyed, before the
    // controls its run writes to go.
    std::unique_ptr<ToolRun> indexedRun_, backlinkRun_, periodRun_, badgesRun_, rankRun_,
        relatedRun_, densityRun_, ipRun_, whoisRun_;
    bool painted_ = false;
    bool historyOpened_ = false;
    std::unique_ptr<HistoryStore> history_;
    RunHistory runHistory_;  // the store above, and the error box the first failed write shows
    QString historyProblem_; // why history_ is null
    QPointer<HistoryWindow> historyWindow_;
    QPointer<AuditWindow> auditWindow_;
    QPointer<TrackWindow> trackWindow_;
};
