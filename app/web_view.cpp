#include "app/web_view.h"

#include "app/desktop_open.h"

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
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

// Every request a results page makes of its own is refused but a picture under the logos
// address. The page itself is the navigation's business (ResultsPage).
class LogosOnly : public QWebEngineUrlRequestInterceptor {
public:
    LogosOnly(QObject* parent, QString logos)
        : QWebEngineUrlRequestInterceptor(parent), logos_(std::move(logos)) {}

    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        using Info = QWebEngineUrlRequestInfo;
        if (info.resourceType() == Info::ResourceTypeMainFrame)
            return;
        const bool logo = info.resourceType() == Info::ResourceTypeImage && !logos_.isEmpty() &&
                          info.requestUrl().toString(QUrl::FullyEncoded).startsWith(logos_);
        info.block(!logo);
    }

private:
    QString logos_;
};

} // namespace

WebView::WebView(QWidget* parent) : QWidget(parent) {}

void WebView::setRemoteContent(bool remote, const QString& logos) {
    remote_ = remote;
    logos_ = logos;
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
        // The logos may lie in the data folder or on a web host; the interceptor lets through
        // those and nothing else.
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
        page->setUrlRequestInterceptor(new LogosOnly(page, logos_));
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
