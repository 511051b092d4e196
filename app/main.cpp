#include "app/form1.h"
#include "base/program_folder.h"
#include "net/http_fetch.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

const char kUsage[] =
    "用法：tessivo [--endpoints 文件] [--config-dir 文件夹] [--screenshots 文件夹]\n"
    "  打开 Tessivo 窗口。\n"
    "  --endpoints 文件      INI 文件，[endpoints] 节中的“端点名=地址”覆盖默认主机\n"
    "                        （先读程序旁的 config/endpoints.ini，再读此文件）\n"
    "  --config-dir 文件夹   从 文件夹/config、文件夹/images 和 文件夹/download\n"
    "                        读数据文件，而不是程序旁的文件夹\n"
    "  --screenshots 文件夹  启动后把两个标签控件的每一页各存为一张 PNG，然后退出。\n"
    "  -h, --help            显示本说明。\n";

// The form names the Windows fonts; on Linux let fontconfig pick the nearest CJK faces.
void substituteFonts() {
    QFont::insertSubstitutions(QStringLiteral("宋体"),
                               {QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                                QStringLiteral("WenQuanYi Micro Hei")});
    QFont::insertSubstitutions(QStringLiteral("楷体_GB2312"),
                               {QStringLiteral("KaiTi"), QStringLiteral("AR PL UKai CN"),
                                QStringLiteral("Noto Serif CJK SC"),
                                QStringLiteral("WenQuanYi Micro Hei")});
}

// Shows every page of both tab controls in turn and saves it; quits when done.
void takeScreenshots(Form1* form, const QString& folder) {
    auto* outer = form->findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    auto* inner = form->findChild<QTabWidget*>(QStringLiteral("SSTab2"));
    struct Shot {
        int outer, inner;
        QString name;
    };
    auto shots = std::make_shared<QList<Shot>>();
    for (int i = 0; i < outer->count(); ++i)
        shots->append({i, -1, QStringLiteral("tab1-%1.png").arg(i, 2, 10, QLatin1Char('0'))});
    for (int i = 0; i < inner->count(); ++i)
        shots->append({6, i, QStringLiteral("tab2-%1.png").arg(i)});
    QDir().mkpath(folder);
    auto step = std::make_shared<std::function<void(int)>>();
    // Only the pending timer holds the tour; the tour itself holds nothing of itself.
    const std::weak_ptr<std::function<void(int)>> self = step;
    *step = [=](int k) {
        if (k > 0) {
            const Shot& done = shots->at(k - 1);
            if (!form->grab().save(folder + u'/' + done.name))
                std::fprintf(stderr, "tessivo: 无法保存 %s\n", qPrintable(done.name));
        }
        if (k == shots->size()) {
            QCoreApplication::quit();
            return;
        }
        const Shot& next = shots->at(k);
        outer->setCurrentIndex(next.outer);
        if (next.inner >= 0)
            inner->setCurrentIndex(next.inner);
        // Give the web views time to start and paint their pages.
        if (const auto next = self.lock())
            QTimer::singleShot(1500, form, [next, k] { (*next)(k + 1); });
    };
    QTimer::singleShot(0, form, [step] { (*step)(0); });
}

} // namespace

int main(int argc, char** argv) {
    // Chromium refuses to start its sandbox as root (containers, CI); run without it there.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tessivo"));
    substituteFonts();

    QString screenshots;
    QString endpointsFile;
    QString configDir;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--help" || args[i] == u"-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        const std::pair<const char*, QString*> valued[] = {
            {"--screenshots", &screenshots},
            {"--endpoints", &endpointsFile},
            {"--config-dir", &configDir},
        };
        bool known = false;
        for (const auto& [name, value] : valued) {
            if (args[i] == QLatin1String(name) && i + 1 < args.size()) {
                *value = args[++i];
                known = true;
            } else if (args[i].startsWith(QLatin1String(name) + u'=')) {
                *value = args[i].mid(qsizetype(std::strlen(name)) + 1);
                known = true;
            }
        }
        if (!known) {
            std::fprintf(stderr, "tessivo: 无法识别的参数 %s\n%s", qPrintable(args[i]), kUsage);
            return 2;
        }
    }
    if (!configDir.isEmpty())
        program_folder::setPath(configDir);

    const CurlGlobal curl;
    CurlFetcher fetcher;
    Form1 form(fetcher, endpointsFile);

    QSystemTrayIcon tray(form.windowIcon());
    tray.setToolTip(QStringLiteral("Tessivo_V2.2"));
    QObject::connect(&tray, &QSystemTrayIcon::activated, &form, [&form] {
        form.showNormal();
        form.raise();
        form.activateWindow();
    });
    if (screenshots.isEmpty() && QSystemTrayIcon::isSystemTrayAvailable())
        tray.show();

    form.show();
    if (!screenshots.isEmpty())
        takeScreenshots(&form, screenshots);
    return app.exec();
}
