#pragma once

#include <QString>
#include <QWidget>

class QWebEngineView;

// A web view that starts its browser engine only when it is first shown, so the window opens
// fast and a view nobody looks at costs nothing. Navigating never waits for the page.
class WebView : public QWidget {
    Q_OBJECT
public:
    explicit WebView(QWidget* parent = nullptr);

    // A web address, "about:blank" or a local file path.
    void navigate(const QString& address);
    QString address() const { return address_; }

    // For views that show text cut from remote pages: no JavaScript runs, links open in the
    // user's default browser, nothing but the address navigated to loads in place (no meta
    // refresh, form or frame), the document reaches no other file and no remote address by
    // itself but the pictures under logos (the engine logos of a survey's table), and a document
    // that names no charset is read as GBK.
    void setRemoteContent(bool remote, const QString& logos = {});

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createEngine();
    void load();

    QString address_;
    bool remote_ = false;
    QString logos_;
    QWebEngineView* view_ = nullptr;
};
