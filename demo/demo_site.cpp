#include "demo/demo_site.h"

#include "net/stop.h"

#include <QElapsedTimer>
#include <QThread>
#include <QUrl>

namespace {

struct SitePage {
    const char* path;
    int status;
    const char* location; // a redirect's target
    const char* head;     // inside <head>
    const char* body;
};

// Every page has a title, a description and one <h1> of its own unless its fault is to lack
// one; those in the sitemap are the ones linked from the home page, so that each sitemap fault
// shows once.
constexpr SitePage kPages[] = {
    {"/", 200, "",
     "<title>示例网站首页</title><meta name=\"description\" content=\"示例网站的首页\">",
     "<h1>示例网站</h1>"
     "<a href=\"/about.html\">关于我们</a>"
     "<a href=\"/gone.html\">已删除的文章</a>"
     "<a href=\"/chain\">旧栏目</a>"
     "<a href=\"/loop\">循环</a>"
     "<a href=\"/temp\">临时地址</a>"
     "<a href=\"/untitled.html\">无标题</a>"
     "<a href=\"/copy.html\">副本</a>"
     "<a href=\"/long.html\">长标题</a>"
     "<a href=\"/nodesc.html\">无描述</a>"
     "<a href=\"/samedesc.html\">同描述</a>"
     "<a href=\"/noh1.html\">无大标题</a>"
     "<a href=\"/twoh1.html\">两个大标题</a>"
     "<a href=\"/hidden.html\">不收录</a>"
     "<a href=\"/canon.html\">规范在别处</a>"
     "<a href=\"/badcanon.html\">规范已失效</a>"
     "<a href=\"/private/notes.html\">内部笔记</a>"
     "<a href=\"/gbk.html\">编码</a>"
     "<a href=\"/mixed.html\">混合内容</a>"
     "<a href=\"/photo.html\">图片</a>"
     "<a href=\"/slow.html\">慢网页</a>"
     "<a href=\"/large.html\">大网页</a>"
     "<a href=\"/calendar.html\">日历</a>"
     "<a href=\"/unlisted.html\">不在网站地图中</a>"
     "<a href=\"http://www.example.com/\">友情链接</a>"},
    {"/about.html", 200, "",
     "<title>关于我们</title><meta name=\"description\" content=\"关于示例网站\">",
     "<h1>关于我们</h1><a href=\"/\">首页</a>"},
    {"/chain", 301, "/chain2", "", ""},
    {"/chain2", 301, "/about.html", "", ""},
    {"/loop", 301, "/loop2", "", ""},
    {"/loop2", 301, "/loop", "", ""},
    {"/temp", 302, "/about.html", "", ""},
    {"/untitled.html", 200, "", "<meta name=\"description\" content=\"没有标题的网页\">",
     "<h1>无标题</h1>"},
    {"/copy.html", 200, "", "<title>关于我们</title><meta name=\"description\" content=\"副本\">",
     "<h1>副本</h1>"},
    {"/long.html", 200, "",
     "<title>这是一个非常非常长的网页标题，用来说明标题在搜索结果中会被截断的情形</title>"
     "<meta name=\"description\" content=\"长标题\">",
     "<h1>长标题</h1>"},
    {"/nodesc.html", 200, "", "<title>没有描述</title>", "<h1>无描述</h1>"},
    {"/samedesc.html", 200, "",
     "<title>同样的描述</title><meta name=\"description\" content=\"关于示例网站\">",
     "<h1>同描述</h1>"},
    {"/noh1.html", 200, "",
     "<title>没有大标题</title><meta name=\"description\" content=\"无大标题\">", "<p>正文</p>"},
    {"/twoh1.html", 200, "",
     "<title>两个大标题</title><meta name=\"description\" content=\"两个大标题\">",
     "<h1>其一</h1><h1>其二</h1>"},
    {"/hidden.html", 200, "",
     "<title>不收录</title><meta name=\"description\" content=\"不收录\">"
     "<meta name=\"robots\" content=\"noindex\">",
     "<h1>不收录</h1>"},
    {"/canon.html", 200, "",
     "<title>规范在别处</title><meta name=\"description\" content=\"规范在别处\">"
     "<link rel=\"canonical\" href=\"/about.html\">",
     "<h1>规范在别处</h1>"},
    {"/badcanon.html", 200, "",
     "<title>规范已失效</title><meta name=\"description\" content=\"规范已失效\">"
     "<link rel=\"canonical\" href=\"/removed.html\">",
     "<h1>规范已失效</h1>"},
    {"/mixed.html", 200, "",
     "<title>混合内容</title><meta name=\"description\" content=\"混合内容\">",
     "<h1>混合内容</h1>"},
    {"/photo.html", 200, "", "<title>图片</title><meta name=\"description\" content=\"图片\">",
     "<h1>图片</h1><img src=\"/logo.png\">"},
    {"/slow.html", 200, "", "<title>慢网页</title><meta name=\"description\" content=\"慢网页\">",
     "<h1>慢网页</h1>"},
    {"/large.html", 200, "", "<title>大网页</title><meta name=\"description\" content=\"大网页\">",
     "<h1>大网页</h1>"},
    {"/unlisted.html", 200, "",
     "<title>不在网站地图中</title><meta name=\"description\" content=\"不在网站地图中\">",
     "<h1>不在网站地图中</h1>"},
    {"/orphan.html", 200, "",
     "<title>孤立网页</title><meta name=\"description\" content=\"孤立网页\">",
     "<h1>孤立网页</h1>"},
};

constexpr int kSlowMs = 3200;
constexpr qsizetype kLargeBytes = 3'300'000;
constexpr int kTooLong = 2100; // past the audit's 2,048 characters

QByteArray htmlPage(const SitePage& page) {
    return QByteArray("<!DOCTYPE html><html><head><meta charset=\"utf-8\">") + page.head +
           "</head><body>" + page.body + "</body></html>";
}

// The pages linked from the home page (but one, and the blocked one), a page nothing links to,
// and another site's address, which a sitemap may not list.
QByteArray sitemap(const QString& site) {
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
    const auto entry = [&](const char* path) {
        xml += "<url><loc>" + (site + QLatin1String(path)).toUtf8() + "</loc></url>\n";
    };
    for (const SitePage& page : kPages) {
        const QByteArray path = page.path;
        if (page.status == 200 && path != "/unlisted.html")
            entry(page.path);
    }
    for (const char* path : {"/gbk.html", "/calendar.html"})
        entry(path);
    xml += "<url><loc>http://www.example.com/elsewhere.html</loc></url>\n";
    return xml + "</urlset>\n";
}

HopResponse answer(int status, QByteArray contentType, QByteArray body) {
    HopResponse hop;
    hop.response.status = status;
    hop.response.contentType = std::move(contentType);
    hop.response.body = std::move(body);
    return hop;
}

// The slow page keeps its caller as long as a slow server would, unless the run is stopped.
void waitSlowly() {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kSlowMs) {
        if (stopRequested())
            throw ToolStopped{};
        QThread::msleep(50);
    }
}

HopResponse sitePage(const QString& site, const QString& path) {
    if (path == QLatin1String("/robots.txt"))
        return answer(200, "text/plain",
                      "User-agent: *\nDisallow: /private/\nSitemap: " + site.toUtf8() +
                          "/sitemap.xml\n");
    if (path == QLatin1String("/sitemap.xml"))
        return answer(200, "application/xml", sitemap(site));
    if (path == QLatin1String("/logo.png"))
        return answer(200, "image/png", QByteArray("\x89PNG\r\n\x1a\n", 8));
    const QByteArray html = "text/html; charset=utf-8";
    if (path == QLatin1String("/gbk.html"))
        // Says UTF-8, but its text is GBK: 中文网页.
        return answer(200, html,
                      "<html><head><title>\xD6\xD0\xCE\xC4\xCD\xF8\xD2\xB3</title>"
                      "<meta name=\"description\" content=\"gbk\"></head>"
                      "<body><h1>\xD6\xD0\xCE\xC4</h1></body></html>");
    if (path == QLatin1String("/calendar.html"))
        return answer(200, html,
                      "<html><head><title>日历</title><meta name=\"description\" "
                      "content=\"日历\"></head><body><h1>日历</h1><a href=\"/calendar.html?day=" +
                          QByteArray(kTooLong, '1') + "\">下一天</a></body></html>");
    for (const SitePage& page : kPages) {
        if (path != QLatin1String(page.path))
            continue;
        if (page.status != 200) {
            HopResponse hop = answer(page.status, html, {});
            hop.location = page.location;
            return hop;
        }
        QByteArray body = htmlPage(page);
        if (path == QLatin1String("/slow.html"))
            waitSlowly();
        if (path == QLatin1String("/large.html"))
            body.insert(body.indexOf("</body>"), QByteArray(kLargeBytes, ' '));
        if (path == QLatin1String("/mixed.html"))
            body.insert(body.indexOf("</body>"), "<script src=\"http://www.example.com/a.js\">"
                                                 "</script>");
        return answer(200, html, body);
    }
    return answer(404, html, "<html><head><title>404</title></head><body>404</body></html>");
}

} // namespace

HopResponse demoSiteAnswer(const HopRequest& request) {
    const QUrl url(request.url);
    if (url.host() != QLatin1String("www.example.cn"))
        return answer(200, "text/html", request.head ? QByteArray() : QByteArray("<html></html>"));
    const QString site = url.scheme() + QStringLiteral("://") + url.authority();
    HopResponse hop = sitePage(site, url.path());
    if (request.head)
        hop.response.body.clear();
    return hop;
}
