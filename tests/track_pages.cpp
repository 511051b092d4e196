#include "track_pages.h"

#include <QFile>
#include <QUrl>

namespace {

QByteArray page(const QString& body) {
    return (QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>结果</title>"
                           "</head><body>") +
            body + QStringLiteral("</body></html>"))
        .toUtf8();
}

} // namespace

QString bingWrapped(const QString& address) {
    return QStringLiteral("https://www.bing.com/ck/a?!&&p=abc&u=a1") +
           QString::fromLatin1(address.toUtf8().toBase64(QByteArray::Base64UrlEncoding |
                                                         QByteArray::OmitTrailingEquals)) +
           QStringLiteral("&ntb=1");
}

QByteArray baiduPage(const QList<Shown>& results) {
    QString body = QStringLiteral("<div id=\"content_left\">");
    int id = 1;
    for (const Shown& r : results)
        body += r.ad ? QStringLiteral("<div class=\"xyz\" id=\"3001\"><h3><a href=\"%1\">推广</a>"
                                      "</h3><span class=\"ec-tuiguang\" data-tuiguang=\"1\">广告"
                                      "</span></div>")
                           .arg(r.address)
                     : QStringLiteral("<div class=\"result c-container new-pmd\" id=\"%1\" "
                                      "srcid=\"1599\" tpl=\"www_index\" mu=\"%2\"><h3><a href="
                                      "\"http://www.baidu.com/link?url=AbC%1\">标题 %1</a></h3>"
                                      "<span class=\"cosc-source-text\">x</span></div>")
                           .arg(id++)
                           .arg(r.address);
    return page(body + QStringLiteral("</div><div id=\"page\"><a>下一页 &gt;</a></div>"));
}

QByteArray baiduMobilePage(const QList<Shown>& results) {
    QString body = QStringLiteral("<div id=\"page-bd\">");
    int order = 1;
    for (const Shown& r : results)
        body += r.ad ? QStringLiteral("<div class=\"ec_wise_ad\"><p class=\"cu-title\">广告</p>"
                                      "<a href=\"%1\">x</a></div>")
                           .arg(r.address)
                     : QStringLiteral("<div class=\"c-result result\" tpl=\"www_index\" "
                                      "order=\"%1\" data-log='{\"mu\":\"%2\",\"order\":%1}'>"
                                      "<p class=\"cu-title\">标题 %1</p></div>")
                           .arg(order++)
                           .arg(r.address);
    return page(body + QStringLiteral("</div>"));
}

QByteArray bingPage(const QList<Shown>& results) {
    QString body = QStringLiteral("<ol id=\"b_results\">");
    int n = 1;
    for (const Shown& r : results)
        body += r.ad ? QStringLiteral("<li class=\"b_ad\"><h2><a href=\"%1\">Ad</a></h2></li>")
                           .arg(r.address)
                     : QStringLiteral("<li class=\"b_algo\"><h2><a href=\"%1\">Title %2</a></h2>"
                                      "<div class=\"b_caption\"><div class=\"b_attribution\">"
                                      "<cite>x</cite></div><p>Snippet</p></div></li>")
                           .arg(bingWrapped(r.address).toHtmlEscaped(), QString::number(n++));
    return page(body + QStringLiteral("<li class=\"b_pag\"><a class=\"sb_pagN\" "
                                      "href=\"/search?q=x&amp;first=11\">Next</a></li></ol>"
                                      "<span class=\"sb_count\">About 1,230 results</span>"));
}

QByteArray sogouPage(const QList<Shown>& results) {
    QString body = QStringLiteral("<div class=\"results\">");
    int n = 1;
    for (const Shown& r : results)
        body += r.ad ? QStringLiteral("<div class=\"vrwrap ad_result\"><h3 class=\"vr-title\">"
                                      "<a href=\"%1\">推广</a></h3></div>")
                           .arg(r.address)
                     : QStringLiteral("<div class=\"vrwrap\"><h3 class=\"vr-title\"><a href="
                                      "\"/link?url=hedJ%1\">标题 %1</a></h3><div class=\"r-sech\" "
                                      "data-url=\"%2\"></div><div class=\"fz-mid space-txt\">"
                                      "摘要</div></div>")
                           .arg(n++)
                           .arg(r.address);
    // A special card is no organic result.
    body += QStringLiteral("<div class=\"vrwrap\"><div class=\"special-wrap\"><h3>百科</h3>"
                           "<div data-url=\"https://baike.sogou.com/\"></div></div></div>");
    return page(body + QStringLiteral("</div><p class=\"num-tips\">搜狗已为您找到约12,300条相关"
                                      "结果</p>"));
}

QByteArray so360Page(const QList<Shown>& results) {
    QString body = QStringLiteral("<ul class=\"result\">");
    int n = 1;
    for (const Shown& r : results)
        body += r.ad ? QStringLiteral("<li class=\"res-list\"><h3 class=\"res-title\"><a href="
                                      "\"https://e.so.com/search/eclk?p=1\" data-mdurl=\"%1\">"
                                      "推广</a></h3></li>")
                           .arg(r.address)
                     : QStringLiteral("<li class=\"res-list\"><h3 class=\"res-title\"><a href="
                                      "\"https://www.so.com/link?m=ewX%1\" data-mdurl=\"%2\">"
                                      "标题 %1</a></h3><p class=\"res-desc\">摘要</p></li>")
                           .arg(n++)
                           .arg(r.address);
    return page(body + QStringLiteral("</ul>"));
}

QByteArray duckDuckGoPage(const QList<Shown>& results) {
    QString body = QStringLiteral("<div id=\"links\">");
    int n = 1;
    for (const Shown& r : results)
        body += r.ad ? QStringLiteral("<div class=\"result results_links result--ad\"><div "
                                      "class=\"links_main result__body\"><h2 class=\"result__title"
                                      "\"><a class=\"result__a\" href=\"https://duckduckgo.com/"
                                      "y.js?ad_domain=x&amp;u3=%1\">Ad</a></h2></div></div>")
                           .arg(QString::fromLatin1(QUrl::toPercentEncoding(r.address)))
                     : QStringLiteral("<div class=\"result results_links results_links_deep "
                                      "web-result\"><div class=\"links_main result__body\"><h2 "
                                      "class=\"result__title\"><a class=\"result__a\" href=\"//"
                                      "duckduckgo.com/l/?uddg=%1&amp;rut=ab\">Title %2</a></h2>"
                                      "<a class=\"result__snippet\" href=\"#\">Snippet</a></div>"
                                      "</div>")
                           .arg(QString::fromLatin1(QUrl::toPercentEncoding(r.address)),
                                QString::number(n++));
    return page(body +
                QStringLiteral("</div><input type=\"hidden\" name=\"vqd\" value=\"4-123\">"));
}

void serveTrackPages(FixtureServer& server, const QList<Shown>& results) {
    server.add("/s", [=, &server](const std::string& target) {
        // Baidu PC asks with wd, Baidu mobile with word, 360 with q and its cookie.
        const QString t = QString::fromStdString(target);
        if (t.contains(QLatin1String("word=")))
            return FixtureServer::Page(200, "text/html; charset=utf-8", baiduMobilePage(results));
        if (t.contains(QLatin1String("wd=")))
            return FixtureServer::Page(200, "text/html; charset=utf-8", baiduPage(results));
        const bool cookie =
            server.requestHeader("Cookie").last().contains(QLatin1String("QiHooGUID=360"));
        return FixtureServer::Page(200, "text/html; charset=utf-8",
                                   cookie ? so360Page(results) : QByteArray());
    });
    FixtureServer::Page home(200, "text/html", "<html>360</html>");
    home.headers = {{"Set-Cookie", "QiHooGUID=360; path=/; domain=.so.com"}};
    server.add("/", home);
    server.add("/search", {200, "text/html; charset=utf-8", bingPage(results)});
    server.add("/web", {200, "text/html; charset=utf-8", sogouPage(results)});
    server.add("/html/", {200, "text/html; charset=utf-8", duckDuckGoPage(results)});
}

QString trackEndpointsFile(const QString& folder, const FixtureServer& server) {
    const QString path = folder + QStringLiteral("/endpoints.ini");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write("[endpoints]\n");
    for (const char* name : {"BaiduWebHost", "BaiduMobileHost", "BingHost", "SogouWebHost",
                             "So360Host", "DuckDuckGoHost"})
        f.write(QByteArray(name) + "=" + server.base().toUtf8() + "\n");
    return path;
}
