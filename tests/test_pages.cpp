#include "app/web_view.h"
#include "fixture_server.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <gtest/gtest.h>
#include <iostream>

// The converter pages that ship in config/, driven in the real browser engine.
namespace {

class Page {
public:
    explicit Page(const char* file) {
        QEventLoop wait;
        bool ok = false;
        QObject::connect(&page_, &QWebEnginePage::loadFinished, &wait, [&](bool done) {
            ok = done;
            wait.quit();
        });
        QTimer::singleShot(30000, &wait, &QEventLoop::quit);
        page_.load(QUrl::fromLocalFile(QStringLiteral(TESSIVO_SOURCE_DIR "/config/") +
                                       QLatin1String(file)));
        wait.exec();
        loaded_ = ok;
    }

    bool loaded() const { return loaded_; }

    QVariant run(const QString& script) {
        QEventLoop wait;
        QVariant result;
        page_.runJavaScript(script, [&](const QVariant& v) {
            result = v;
            wait.quit();
        });
        QTimer::singleShot(10000, &wait, &QEventLoop::quit);
        wait.exec();
        return result;
    }

    QString convert(const QString& input) {
        const QString literal = QString::fromUtf8(
            QJsonDocument::fromVariant(QVariantList{input}).toJson(QJsonDocument::Compact));
        return run(QStringLiteral("convert(%1[0])").arg(literal)).toString();
    }

private:
    QWebEnginePage page_;
    bool loaded_ = false;
};

} // namespace

TEST(ConverterPages, HtmlToJs) {
    Page p("html_js.html");
    ASSERT_TRUE(p.loaded());
    EXPECT_EQ(p.convert(QStringLiteral("<p class=\"a\">中文</p>")),
              QStringLiteral("document.write(\"<p class=\\\"a\\\">中文<\\/p>\");"));
    // The snippet must run and write back exactly the input.
    const QString html = QStringLiteral("<b>a\\b</b>\n<script>x</script>");
    const QString snippet = p.convert(html);
    EXPECT_EQ(p.run(QStringLiteral(
                        "(function(){var out='';var "
                        "document={write:function(s){out+=(out?'\\n':'')+s;}};%1;return out;})()")
                        .arg(snippet))
                  .toString(),
              html);
}

TEST(ConverterPages, HtmlToUbb) {
    Page p("html_ubb.html");
    ASSERT_TRUE(p.loaded());
    EXPECT_EQ(p.convert(QStringLiteral("<b>粗</b><br><a href=\"http://x.cn\">链接</a>")),
              QStringLiteral("[b]粗[/b]\n[url=http://x.cn]链接[/url]"));
    EXPECT_EQ(p.convert(QStringLiteral("&lt;tag&gt; &amp;")), QStringLiteral("<tag> &"));
}

TEST(ConverterPages, UbbToHtml) {
    Page p("ubb_html.html");
    ASSERT_TRUE(p.loaded());
    EXPECT_EQ(p.convert(QStringLiteral("[b]粗[/b]\n[url=http://x.cn]链接[/url]")),
              QStringLiteral("<b>粗</b><br><a href=\"http://x.cn\" target=\"_blank\">链接</a>"));
    const QString hostile =
        p.convert(QStringLiteral("<script>alert(1)</script>[url=javascript:alert(1)]x[/url]"));
    EXPECT_FALSE(hostile.contains(QStringLiteral("<script")));
    EXPECT_FALSE(hostile.contains(QStringLiteral("href=\"javascript")));
}

// Clicks through a converter page and names every check that fails: the buttons come from the
// shared converter.js, the look from the shared tools.css.
const char kConverterChecks[] = R"((function (boxHeight) {
    var problems = [];
    var input = document.getElementById("input");
    var output = document.getElementById("output");
    var preview = document.getElementById("preview");
    input.value = "[b]x[/b]";
    document.getElementById("convert").click();
    if (output.value === "" || output.value !== convert(input.value)) problems.push("convert");
    if (preview && preview.innerHTML !== output.value) problems.push("preview");
    document.getElementById("clear").click();
    if (input.value !== "" || output.value !== "") problems.push("clear");
    if (preview && preview.innerHTML !== "") problems.push("preview cleared");
    if (getComputedStyle(document.body).marginTop !== "10px") problems.push("body");
    if (getComputedStyle(document.querySelector(".note")).borderTopStyle !== "dashed")
        problems.push("note");
    if (getComputedStyle(input).height !== boxHeight) problems.push("box height");
    return problems.join(", ");
})("%1"))";

TEST(ConverterPages, ButtonsAndSharedLook) {
    const struct {
        const char* file;
        const char* boxHeight;
    } pages[] = {
        {"html_js.html", "150px"},
        {"html_ubb.html", "150px"},
        {"ubb_html.html", "120px"}, // the preview below needs the room
    };
    for (const auto& page : pages) {
        Page p(page.file);
        ASSERT_TRUE(p.loaded()) << page.file;
        const QString checks = QString::fromUtf8(kConverterChecks).arg(page.boxHeight);
        EXPECT_EQ(p.run(checks).toString().toStdString(), "") << page.file;
    }
}

TEST(LocalPages, TheReferenceTableTakesOnlyThePageLook) {
    Page p("html.html");
    ASSERT_TRUE(p.loaded());
    const auto style = [&](const char* selector, const char* property) {
        return p
            .run(QStringLiteral("getComputedStyle(document.querySelector('%1')).%2")
                     .arg(selector, property))
            .toString()
            .toStdString();
    };
    EXPECT_EQ(style("h1", "color"), "rgb(31, 78, 140)");
    EXPECT_EQ(style("p.note", "borderTopStyle"), "none"); // the converters' note box stays theirs
}

TEST(LocalPages, AllLoad) {
    for (const char* file : {"wait.html", "html.html"})
        EXPECT_TRUE(Page(file).loaded()) << file;
}

TEST(ResultsView, HostileTextLoadsNothingOfItsOwn) {
    FixtureServer server;
    const QByteArray base = server.base().toUtf8();
    // A results document with figures as a hostile page could make them: a refresh, a frame
    // and a form that sends itself.
    server.add("/result.html",
               {200, "text/html",
                "<table><tr><td><meta http-equiv='refresh' content='0;url=" + base +
                    "/refresh'><iframe src='" + base + "/frame'></iframe><form id=f action='" +
                    base + "/form'><input name=q value=1></form><img src='" + base +
                    "/img' onerror=\"document.getElementById('f').submit()\"></td></tr></table>"});
    WebView view;
    view.setRemoteContent(true);
    view.resize(400, 300);
    view.navigate(server.base() + QStringLiteral("/result.html"));
    view.show();
    QEventLoop wait;
    QTimer::singleShot(2500, &wait, &QEventLoop::quit);
    wait.exec();
    QStringList fetched = server.requests();
    fetched.removeAll(QStringLiteral("/favicon.ico"));
    EXPECT_EQ(fetched, QStringList{QStringLiteral("/result.html")});
}

TEST(ResultsView, ShowsTheLogosAndNoOtherPictureOfItsOwn) {
    // A red logo where the logos lie, a green picture beside them, and a document in the cache
    // folder (like a survey's table) that shows both side by side.
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("images"));
    const auto picture = [](Qt::GlobalColor colour, const QString& path) {
        QImage image(40, 40, QImage::Format_RGB32);
        image.fill(colour);
        return image.save(path);
    };
    ASSERT_TRUE(picture(Qt::red, dir.filePath(QStringLiteral("images/logo.png"))));
    ASSERT_TRUE(picture(Qt::green, dir.filePath(QStringLiteral("other.png"))));
    const QString logos =
        QUrl::fromLocalFile(dir.filePath(QStringLiteral("images"))).toString() + u'/';
    const QString other = QUrl::fromLocalFile(dir.filePath(QStringLiteral("other.png"))).toString();
    QFile document(dir.filePath(QStringLiteral("result.html")));
    ASSERT_TRUE(document.open(QIODevice::WriteOnly));
    document.write(QStringLiteral("<body style='margin:0;background:#fff'><img src='%1logo.png' "
                                  "width=40 height=40><img src='%2' width=40 height=40></body>")
                       .arg(logos, other)
                       .toUtf8());
    document.close();

    WebView view;
    view.setRemoteContent(true, logos);
    view.resize(200, 100);
    view.navigate(document.fileName());
    view.show();
    QEventLoop wait;
    QTimer::singleShot(2500, &wait, &QEventLoop::quit);
    wait.exec();
    const QImage shown = view.grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(20, 20)), QColor(Qt::red));
    for (int x = 40; x < 100; ++x)
        ASSERT_NE(QColor(shown.pixel(x, 20)), QColor(Qt::green)) << x;
}
