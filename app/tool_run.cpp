#include "app/tool_run.h"

#include "base/tool_error.h"
#include "net/http_fetch.h"

#include <QAbstractButton>
#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QThread>

namespace {

const QString kStopCaption = QStringLiteral("停止");
const QString kWorking = QStringLiteral("正在查询……");

} // namespace

ToolRun::ToolRun(QWidget* page, QAbstractButton* button)
    : page_(page), button_(button), status_(new QLabel(page)) {
    status_->setObjectName(QStringLiteral("runStatus"));
    status_->setTextFormat(Qt::PlainText);
    status_->setStyleSheet(QStringLiteral("color: #555555;"));
    status_->hide();
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), page);
    esc->setContext(Qt::WidgetWithChildrenShortcut);
    connect(esc, &QShortcut::activated, this, &ToolRun::stop);
}

ToolRun::~ToolRun() {
    // The thread still uses this object; a stop ends its transfer within 50 ms.
    if (thread_) {
        stop();
        thread_->wait();
        delete thread_;
    }
}

void ToolRun::start(Work work, Finished finished, Pointer pointer) {
    if (thread_)
        return;
    stop_ = std::make_shared<StopFlag>();
    caption_ = button_->text();
    button_->setText(kStopCaption);
    page_->setCursor(Qt::WaitCursor);
    step_.clear();
    showStatus(kWorking);
    thread_ = QThread::create(
        [this, work = std::move(work), finished = std::move(finished), flag = stop_, pointer] {
            const StopScope scope(*flag);
            const FetchSession session;
            Outcome outcome;
            try {
                work(*this);
            } catch (const ToolStopped&) {
                outcome.end = End::Stopped;
            } catch (const ToolError& e) {
                outcome = {End::Failed, e.description(), {}};
            } catch (const std::exception& e) {
                outcome = {End::Failed, QString::fromUtf8(e.what()), {}};
            }
            post([this, outcome, finished, pointer] { finish(outcome, finished, pointer); });
        });
    thread_->start();
}

void ToolRun::finish(const Outcome& ended, const Finished& finished, Pointer pointer) {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    button_->setText(caption_);
    status_->hide();
    if (pointer == Pointer::BeforeBox)
        page_->unsetCursor();
    Outcome outcome = ended;
    outcome.step = step_;
    if (finished)
        finished(outcome);
    page_->unsetCursor();
}

void ToolRun::stop() {
    if (stop_)
        stop_->request();
}

bool ToolRun::stopAndWait(int ms) {
    if (!thread_)
        return true;
    stop();
    return thread_->wait(QDeadlineTimer(ms));
}

void ToolRun::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

Progress ToolRun::progress() {
    return [this](const QString& what, int step, int steps) {
        const QString text = QStringLiteral("%1（%2/%3）")
                                 .arg(what, QString::number(step),
                                      steps > 0 ? QString::number(steps) : QStringLiteral("?"));
        post([this, text] {
            step_ = text;
            showStatus(QStringLiteral("正在查询 ") + text);
        });
    };
}

void ToolRun::showSummary(const QString& text) {
    if (!text.isEmpty())
        showStatus(text);
}

void ToolRun::showStatus(const QString& text) {
    // A line along the page's bottom edge, where no control of the form sits.
    status_->setGeometry(8, page_->height() - 18, page_->width() - 16, 16);
    status_->setText(text);
    status_->show();
    status_->raise();
}
