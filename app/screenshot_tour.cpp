#include "app/screenshot_tour.h"

#include "app/form1.h"
#include "app/web_view.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

// How long a page is given to paint before it is saved: a web view starts its page
// asynchronously and needs far longer than the widgets.
constexpr int kWebPageMs = 1500;
constexpr int kWidgetPageMs = 300;
constexpr int kToolsPollMs = 50;

template <class T> T* child(Form1* form, const char* name) {
    return form->findChild<T*>(QLatin1String(name));
}

void type(Form1* form, const char* box, const char* text) {
    child<QLineEdit>(form, box)->setText(QString::fromUtf8(text));
}

void press(Form1* form, const char* button) {
    child<QPushButton>(form, button)->click();
}

// Calls then once no tool runs any more.
void whenToolsEnd(Form1* form, const std::function<void()>& then) {
    if (!form->toolsRunning()) {
        then();
        return;
    }
    QTimer::singleShot(kToolsPollMs, form, [form, then] { whenToolsEnd(form, then); });
}

} // namespace

void tryEveryTool(Form1* form) {
    type(form, "txtDomain", "example.cn");
    press(form, "cmdQuery");
    type(form, "txtDomain2", "example.cn");
    press(form, "cmdLink");
    type(form, "txtDomain1", "example.cn");
    child<QComboBox>(form, "cmbBaiDu")->setCurrentText(QStringLiteral("最近一月"));
    press(form, "cmdBaidu");
    type(form, "txtKeyWordUrl", "www.example.cn");
    type(form, "txtKeyWord", "网站优化");
    press(form, "cmdKeyWord");
    type(form, "txtDomainPr", "example.cn");
    press(form, "cmdPr");
    press(form, "cmdCn_search");
    child<QPlainTextEdit>(form, "txtChangeS")
        ->setPlainText(QStringLiteral("网站优化要从关键词开始，内容质量决定排名。"));
    press(form, "cmdStoT");
    type(form, "txtRelateKeyWord", "网站优化");
    press(form, "cmdRelateAndIndex");
    type(form, "txtSearchPage", "www.example.cn/seo.html");
    type(form, "txtSearchKeyWord", "网站优化");
    press(form, "cmdFrequency");
    type(form, "txtIpTarget", "www.example.cn");
    press(form, "cmdIpQuery");
    type(form, "txtWhoisDomain", "http://www.example.com.cn/");
    press(form, "cmdWhoisQuery");
}

void takeScreenshots(Form1* form, const QString& folder, bool afterTools) {
    auto* outer = child<QTabWidget>(form, "SSTab1");
    auto* inner = child<QTabWidget>(form, "SSTab2");
    struct Shot {
        int outer, inner;
        QString name;
    };
    auto shots = std::make_shared<QList<Shot>>();
    for (int i = 0; i < outer->count(); ++i)
        shots->append({i, -1, QStringLiteral("tab1-%1.png").arg(i, 2, 10, QLatin1Char('0'))});
    const int innerPage = outer->indexOf(inner->parentWidget());
    for (int i = 0; i < inner->count(); ++i)
        shots->append({innerPage, i, QStringLiteral("tab2-%1.png").arg(i)});
    QDir().mkpath(folder);
    auto step = std::make_shared<std::function<void(int)>>();
    // Only the pending timer holds the tour; the tour itself holds nothing of itself.
    const std::weak_ptr<std::function<void(int)>> self = step;
    *step = [=](int k) {
        if (k > 0) {
            const Shot& done = shots->at(k - 1);
            if (!form->grab().save(folder + u'/' + done.name))
                std::fprintf(stderr, "tessivo：无法保存 %s\n", qPrintable(done.name));
        }
        if (k == shots->size()) {
            QCoreApplication::quit();
            return;
        }
        const Shot& next = shots->at(k);
        outer->setCurrentIndex(next.outer);
        if (next.inner >= 0)
            inner->setCurrentIndex(next.inner);
        QWidget* shown = next.inner >= 0 ? inner->currentWidget() : outer->currentWidget();
        const int wait = shown->findChildren<WebView*>().isEmpty() ? kWidgetPageMs : kWebPageMs;
        if (const auto pending = self.lock())
            QTimer::singleShot(wait, form, [pending, k] { (*pending)(k + 1); });
    };
    const auto start = [step] { (*step)(0); };
    QTimer::singleShot(0, form, [form, afterTools, start] {
        if (afterTools)
            whenToolsEnd(form, start);
        else
            start();
    });
}
