#include "app/web_view.h"

#include "app/desktop_open.h"

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

QUrl toUrl(const QString& address) {
    const QUrl url(address);
    const QString scheme = url.scheme();
    if (scheme == u"about" || scheme == u"http" || scheme == u"https" || scheme == u"file")
        return url;
    return QUrl::fromLocalFile(address);
}

// A page that shows text cut from remote pages. Every link the user follows goes to the
// default browser; the only page it loads in place is the one the program asked for, so a meta
// refresh, a form or a frame that came with the remote text loads nothing.
class ResultsPage : public QWebEnginePage {
public:
    ResultsPage(QObject* parent, std::function<QUrl()> asked, bool popup = false)
        : QWebEnginePage(parent), asked_(std::move(asked)), popup_(popup) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        if (popup_) {
            desktop::openWebAddress(url);
            deleteLater();
            return false;
        }
        if (type == NavigationTypeLinkClicked && isMainFrame) {
            desktop::openWebAddress(url);
            return false;
        }
        return isMainFrame && url == asked_();
    }

    // target='_blank' links ask for a new window: give them a page that only passes the
    // address on.
    QWebEnginePage* createWindow(WebWindowType) override {
        return new ResultsPage(this, asked_, true);
    }

private:
    std::function<QUrl()> asked_;
    bool popup_;
};

} // namespace

WebView::WebView(QWidget* parent) : QWidget(parent) {}

void WebView::setRemoteContent(bool remote) {
    remote_ = remote;
}

void WebView::navigate(const QString& address) {
    address_ = address;
    if (view_)
        load();
}

void WebView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!view_)
        createEngine();
}

void WebView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (view_)
        view_->setGeometry(rect());
}

void WebView::createEngine() {
    view_ = new QWebEngineView(this);
    if (remote_) {
        auto* page = new ResultsPage(view_, [this] { return toUrl(address_); });
        QWebEngineSettings* s = page->settings();
        s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        s->setDefaultTextEncoding(QStringLiteral("GBK"));
        view_->setPage(page);
    }
    view_->setGeometry(rect());
    view_->show();
    if (!address_.isEmpty())
        load();
}

void WebView::load() {
    view_->load(toUrl(address_));
}
