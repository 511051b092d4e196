#include "app/submit_page.h"

#include "app/save_dialog.h"
#include "base/tool_error.h"
#include "history/history_store.h"
#include "net/http_fetch.h"
#include "submit/address_list.h"
#include "submit/baidu_push.h"
#include "submit/indexnow.h"
#include "submit/sitemap_writer.h"
#include "tools/push_reports.h"
#include "tools/recorded_run.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QThread>
#include <QTimeZone>

namespace {

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* plainLabel(const char* name) {
    auto* label = named(new QLabel, name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

// Baidu's day, which its quota is counted by, is Beijing time's.
QDate baiduDay(const QDateTime& at) {
    return at.toTimeZone(QTimeZone(8 * 3600)).date();
}

} // namespace

SubmitPage::SubmitPage(RunHistory* history, bool demo, Fetcher& fetcher, EndpointTable endpoints,
                       std::function<QStringList()> auditPages, QWidget* parent)
    : QWidget(parent), history_(history), demo_(demo), fetcher_(fetcher),
      endpoints_(std::move(endpoints)), auditPages_(std::move(auditPages)) {
    site_ = named(new QLineEdit, "site");
    site_->setPlaceholderText(QStringLiteral("https://www.example.cn"));
    fromAudit_ = named(new QRadioButton(QStringLiteral("上次体检中可收录的网页")), "fromAudit");
    fromList_ = named(new QRadioButton(QStringLiteral("网址列表文件")), "fromList");
    fromAudit_->setChecked(true);
    listFile_ = named(new QLineEdit, "listFile");
    listFile_->setPlaceholderText(QStringLiteral("每行一个网址的文本文件（UTF-8）"));
    baiduLimit_ =
        named(new QCheckBox(QStringLiteral("按百度的限制（每个文件小于 10 MB）")), "baiduLimit");
    writeSitemap_ = named(new QPushButton(QStringLiteral("写站点地图…")), "writeSitemap");
    token_ = named(new QLineEdit, "token");
    token_->setEchoMode(QLineEdit::Password);
    token_->setPlaceholderText(QStringLiteral("百度搜索资源平台“普通收录 → API提交”中的 token"));
    keepToken_ =
        named(new QCheckBox(QStringLiteral("记住准入密钥（存入只有本人可读的文件）")), "keepToken");
    quota_ = plainLabel("quota");
    pushBaidu_ = named(new QPushButton(QStringLiteral("推送到百度")), "pushBaidu");
    key_ = named(new QLineEdit, "key");
    key_->setPlaceholderText(QStringLiteral("8 到 128 个字母、数字或“-”"));
    keyLocation_ = named(new QLineEdit, "keyLocation");
    keyLocation_->setPlaceholderText(QStringLiteral("默认为网站根目录的 密钥.txt"));
    keyCheck_ = plainLabel("keyCheck");
    pushIndexNow_ = named(new QPushButton(QStringLiteral("提交到 IndexNow")), "pushIndexNow");
    bar_ = named(new QProgressBar, "progress");
    bar_->setRange(0, 1);
    bar_->setValue(0);
    stop_ = named(new QPushButton(QStringLiteral("停止")), "stop");
    stop_->setEnabled(false);
    status_ = plainLabel("status");
    answers_ = named(new QPlainTextEdit, "answers");
    answers_->setReadOnly(true);
    if (demo_) {
        // The demo's built-in site, whose audit the demo crawls.
        site_->setText(QStringLiteral("http://www.example.cn"));
        key_->setText(QStringLiteral("5f2b8c9e4d7a4e1b9c3f6a8d2e7b1c40"));
    }

    auto* source = new QGroupBox(QStringLiteral("网址"));
    auto* sourceForm = new QFormLayout(source);
    sourceForm->addRow(QStringLiteral("站点"), site_);
    auto* list = new QHBoxLayout;
    list->addWidget(fromList_);
    list->addWidget(listFile_, 1);
    sourceForm->addRow(fromAudit_);
    sourceForm->addRow(list);

    auto* sitemap = new QGroupBox(QStringLiteral("站点地图"));
    auto* sitemapRow = new QHBoxLayout(sitemap);
    sitemapRow->addWidget(baiduLimit_);
    sitemapRow->addStretch();
    sitemapRow->addWidget(writeSitemap_);

    auto* baidu = new QGroupBox(QStringLiteral("百度普通收录"));
    auto* baiduForm = new QFormLayout(baidu);
    baiduForm->addRow(QStringLiteral("准入密钥"), token_);
    baiduForm->addRow(keepToken_);
    auto* baiduRow = new QHBoxLayout;
    baiduRow->addWidget(quota_, 1);
    baiduRow->addWidget(pushBaidu_);
    baiduForm->addRow(baiduRow);

    auto* indexNow = new QGroupBox(QStringLiteral("IndexNow（必应、Yandex、Naver、Seznam、Yep）"));
    auto* indexNowForm = new QFormLayout(indexNow);
    indexNowForm->addRow(QStringLiteral("密钥"), key_);
    indexNowForm->addRow(QStringLiteral("密钥文件"), keyLocation_);
    auto* indexNowRow = new QHBoxLayout;
    indexNowRow->addWidget(keyCheck_, 1);
    indexNowRow->addWidget(pushIndexNow_);
    indexNowForm->addRow(indexNowRow);

    auto* progress = new QHBoxLayout;
    progress->addWidget(bar_, 1);
    progress->addWidget(stop_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addWidget(sitemap);
    layout->addWidget(baidu);
    layout->addWidget(indexNow);
    layout->addLayout(progress);
    layout->addWidget(status_);
    layout->addWidget(answers_, 1);

    connect(writeSitemap_, &QPushButton::clicked, this, &SubmitPage::writeSitemap);
    connect(pushBaidu_, &QPushButton::clicked, this, &SubmitPage::pushBaidu);
    connect(pushIndexNow_, &QPushButton::clicked, this, &SubmitPage::pushIndexNow);
    connect(stop_, &QPushButton::clicked, this, &SubmitPage::stop);
    connect(site_, &QLineEdit::editingFinished, this, &SubmitPage::siteChanged);
    connect(listFile_, &QLineEdit::textEdited, fromList_, [this] { fromList_->setChecked(true); });
    siteChanged();
}

SubmitPage::~SubmitPage() {
    if (thread_) {
        stopFlag_->request();
        thread_->wait();
        delete thread_;
    }
}

void SubmitPage::stop() {
    if (!thread_)
        return;
    stopFlag_->request();
    status_->setText(QStringLiteral("正在停止……"));
}

QString SubmitPage::tokenFile(const QString& site) {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/baidu-token-") + hostOf(site);
}

void SubmitPage::siteChanged() {
    const QString site = site_->text().trimmed();
    if (!hostOf(site).isEmpty() && QFile::exists(tokenFile(site))) {
        try {
            token_->setText(readTokenFile(tokenFile(site)));
            keepToken_->setChecked(true);
        } catch (const ToolError& e) {
            tell(e.description());
        }
    }
    showQuota();
}

void SubmitPage::showQuota() {
    const QString host = hostOf(site_->text());
    HistoryStore* store = history_ ? history_->store() : nullptr;
    quota_->clear();
    if (host.isEmpty() || !store)
        return;
    HistoryQuery query;
    query.tool = QString::fromLatin1(toolEntry(Tool::PushBaidu).key);
    query.input = host;
    query.withoutDemo = !demo_;
    // A push Baidu refused says nothing of the quota; the last answer that did is further back.
    query.limit = 20;
    QList<RunRecord> runs;
    try {
        runs = store->runs(query);
    } catch (const ToolError& e) {
        quota_->setText(e.description());
        return;
    }
    for (const RunRecord& run : runs)
        for (const Figure& f : run.figures)
            if (f.label == QLatin1String("remain") && f.number) {
                showQuota(f.text, run.ended);
                return;
            }
}

void SubmitPage::showQuota(const QString& remain, const QDateTime& at) {
    quota_->setText(
        baiduDay(at) == baiduDay(QDateTime::currentDateTimeUtc())
            ? QStringLiteral("今天剩余配额：%1（百度在 %2 的回答）")
                  .arg(remain, at.toLocalTime().toString(QStringLiteral("HH:mm")))
            : QStringLiteral("今天还没有推送；上次（%1）剩余配额 %2")
                  .arg(at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd")), remain));
}

QStringList SubmitPage::addresses(const QString& host) {
    QByteArray text;
    try {
        if (fromAudit_->isChecked())
            text = auditPages_().join(u'\n').toUtf8();
        else if (listFile_->text().trimmed().isEmpty())
            throw ToolError(QStringLiteral("请填写网址列表文件"));
        else
            text = readListFile(listFile_->text().trimmed());
    } catch (const ToolError& e) {
        tell(e.description());
        return {};
    }
    const AddressList list = readAddressList(text, host);
    for (const QString& line : listNotes(list))
        tell(line);
    if (list.addresses.isEmpty())
        tell(fromAudit_->isChecked()
                 ? QStringLiteral("上次体检中没有 %1 上可收录的网页：请先体检该站点").arg(host)
                 : QStringLiteral("列表中没有 %1 上的网址").arg(host));
    return list.addresses;
}

void SubmitPage::writeSitemap() {
    const QString site = site_->text().trimmed();
    if (hostOf(site).isEmpty()) {
        tell(QStringLiteral("请填写站点，例如 https://www.example.cn"));
        return;
    }
    const QStringList chosen = addresses(hostOf(site));
    if (chosen.isEmpty())
        return;
    const QString path =
        save_dialog::ask(this, QStringLiteral("写站点地图"), QStringLiteral("sitemap.xml"),
                         QStringLiteral("站点地图 (*.xml)"));
    if (path.isEmpty())
        return;
    SitemapOptions options;
    options.base = site;
    options.outDir = QFileInfo(path).absolutePath();
    options.lastmod = QDate::currentDate().toString(Qt::ISODate);
    options.limit = baiduLimit_->isChecked() ? SitemapLimit::Baidu : SitemapLimit::Sitemaps;
    try {
        const SitemapResult result = writeSitemaps(chosen, options);
        for (const QString& line : tooLongNotes(result))
            tell(line);
        tell(sitemapSummary(result));
        for (const QString& file : result.files)
            tell(file);
    } catch (const ToolError& e) {
        tell(e.description());
    }
}

void SubmitPage::keepOrForgetToken(const QString& site, const QString& token) {
    const QString file = tokenFile(site);
    QFile::remove(file);
    if (!keepToken_->isChecked())
        return;
    QFile f(file);
    const bool kept =
        QDir().mkpath(QFileInfo(file).absolutePath()) &&
        f.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner) &&
        f.write(token.toUtf8() + '\n') > 0 && f.flush();
    if (!kept)
        tell(QStringLiteral("无法保存准入密钥到 %1：%2").arg(file, f.errorString()));
}

void SubmitPage::pushBaidu() {
    const QString site = site_->text().trimmed();
    const QString token = token_->text().trimmed();
    if (running())
        return;
    if (hostOf(site).isEmpty() || token.isEmpty()) {
        tell(QStringLiteral("推送到百度需要站点（在百度搜索资源平台验证的）和准入密钥"));
        return;
    }
    keepOrForgetToken(site, token);
    const QStringList chosen = addresses(hostOf(site));
    if (chosen.isEmpty())
        return;
    BaiduPushOptions options;
    options.pushBase = endpoints_.base(Endpoint::BaiduPushHost);
    options.site = site;
    options.token = token;
    tell(QStringLiteral("推送到百度：%1 个网址").arg(chosen.size()));
    bar_->setRange(0, int(chosen.size()));
    bar_->setValue(0);
    start(Tool::PushBaidu, hostOf(site), {{QStringLiteral("site"), site}},
          [this, options, chosen](RecordedRun& record) {
              const BaiduPushReport report =
                  pushToBaidu(fetcher_, options, chosen, [this](const BaiduPushReport& r) {
                      post([this, r] {
                          bar_->setValue(r.sent);
                          status_->setText(baiduPushProgress(r));
                      });
                  });
              record.add(baiduPushFigures(report));
              post([this, report] {
                  if (report.remain)
                      showQuota(QString::number(*report.remain), QDateTime::currentDateTimeUtc());
                  for (const QStringList& row : baiduPushRows(report))
                      tell(row.join(QStringLiteral("：")));
              });
              if (!report.error.isEmpty())
                  throw ToolError(baiduPushFailure(report));
          });
}

void SubmitPage::pushIndexNow() {
    if (running())
        return;
    IndexNowOptions options;
    options.apiBase = endpoints_.base(Endpoint::IndexNowHost);
    options.key = key_->text().trimmed();
    options.keyLocation = keyLocation_->text().trimmed();
    const QString host =
        hostOf(options.keyLocation.isEmpty() ? site_->text() : options.keyLocation);
    if (host.isEmpty()) {
        tell(QStringLiteral("请填写站点，例如 https://www.example.cn"));
        return;
    }
    const QStringList chosen = addresses(host);
    if (chosen.isEmpty())
        return;
    tell(QStringLiteral("提交到 IndexNow：%1 个网址").arg(chosen.size()));
    keyCheck_->setText(QStringLiteral("正在检查密钥文件……"));
    bar_->setRange(0, 0);
    start(Tool::PushIndexNow, host, {}, [this, options, chosen](RecordedRun& record) {
        IndexNowReport report;
        try {
            report = pushToIndexNow(fetcher_, options, chosen);
        } catch (const ToolError& e) {
            post([this, why = e.description()] {
                keyCheck_->setText(QStringLiteral("密钥检查未通过：") + why);
            });
            throw;
        }
        record.add(indexNowFigures(report));
        post([this, report] {
            keyCheck_->setText(QStringLiteral("密钥文件 %1 中是这个密钥").arg(report.keyFile));
            for (const QStringList& row : indexNowRows(report))
                tell(row.join(QStringLiteral("：")));
        });
        if (!report.error.isEmpty())
            throw ToolError(indexNowFailure(report));
    });
}

void SubmitPage::start(Tool tool, const QString& host, const QJsonObject& asked, Work work) {
    record_ =
        std::make_unique<RecordedRun>(history_, toolEntry(tool), QStringList{host}, asked, demo_);
    stopFlag_ = std::make_shared<StopFlag>();
    for (QPushButton* b : {writeSitemap_, pushBaidu_, pushIndexNow_})
        b->setEnabled(false);
    stop_->setEnabled(true);
    status_->setText(QStringLiteral("正在提交 %1 的网址……").arg(host));
    thread_ =
        QThread::create([this, work = std::move(work), flag = stopFlag_, record = record_.get()] {
            const StopScope scope(*flag);
            const FetchSession session;
            QString error;
            bool stopped = false;
            try {
                work(*record);
            } catch (const ToolStopped&) {
                stopped = true;
            } catch (const ToolError& e) {
                error = e.description();
            }
            post([this, error, stopped] { finish(error, stopped); });
        });
    thread_->start();
}

void SubmitPage::finish(const QString& error, bool stopped) {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    record_->finish(stopped           ? RunEnd::Stopped
                    : error.isEmpty() ? RunEnd::Done
                                      : RunEnd::Failed,
                    error);
    record_.reset();
    for (QPushButton* b : {writeSitemap_, pushBaidu_, pushIndexNow_})
        b->setEnabled(true);
    stop_->setEnabled(false);
    bar_->setRange(0, 1);
    bar_->setValue(1);
    const QString ended = stopped           ? QStringLiteral("已停止")
                          : error.isEmpty() ? QStringLiteral("完成")
                                            : QStringLiteral("失败：") + error;
    status_->setText(ended);
    tell(ended);
    emit finished();
}

void SubmitPage::tell(const QString& line) {
    answers_->appendPlainText(line);
}

void SubmitPage::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}
