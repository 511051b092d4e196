#include "demo/demo_fetcher.h"
#include "submit/baidu_push.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

// The demo's answers to the link-submission interfaces: what the core and the CLI read from them
// must look like what the services send.
namespace {

QByteArray lines(const QString& site, int n) {
    QByteArray text;
    for (int i = 0; i < n; ++i)
        text += site.toUtf8() + "/p/" + QByteArray::number(i) + "\n";
    return text;
}

QString baiduUrl(const char* site, const char* token = "t0ken") {
    return QStringLiteral("http://data.zz.baidu.com/urls?site=%1&token=%2")
        .arg(QLatin1String(site), QLatin1String(token));
}

} // namespace

TEST(SubmitDemo, AnswersAsTheServicesDo) {
    const QString ok = QStringLiteral(R"({"host":"www.example.cn","key":"0123abcd0123abcd",)"
                                      R"("urlList":["http://www.example.cn/a"]})");
    const struct {
        QString url;
        QByteArray body;
        long status;
        const char* message; // Baidu's, empty for a success or IndexNow
    } cases[] = {
        {baiduUrl("http%3A%2F%2Fwww.refusing.cn", ""), "http://www.refusing.cn/a", 401,
         "token is not valid"},
        {baiduUrl(""), "http://www.refusing.cn/a", 400, "site error"},
        {baiduUrl("http%3A%2F%2Fwww.refusing.cn"), "\n\n", 400, "empty content"},
        {baiduUrl("http%3A%2F%2Fwww.refusing.cn"),
         lines(QStringLiteral("http://www.refusing.cn"), 2001), 400,
         "only 2000 urls are allowed once"},
        {QStringLiteral("https://api.indexnow.org/indexnow"), ok.toUtf8(), 200, ""},
        {QStringLiteral("https://api.indexnow.org/indexnow"),
         QString(ok)
             .replace(QStringLiteral("www.example.cn/a"), QStringLiteral("other.cn/a"))
             .toUtf8(),
         422, ""},
        {QStringLiteral("https://api.indexnow.org/indexnow"),
         QString(ok).replace(QStringLiteral("0123abcd0123abcd"), QStringLiteral("short")).toUtf8(),
         422, ""},
        {QStringLiteral("https://api.indexnow.org/indexnow"), "not json", 400, ""},
    };
    DemoFetcher demo;
    for (const auto& c : cases) {
        const HttpResponse r = demo.post(c.url, "text/plain", c.body);
        EXPECT_EQ(r.status, c.status) << c.url.toStdString();
        EXPECT_EQ(QJsonDocument::fromJson(r.body).object().value(u"message").toString(),
                  QLatin1String(c.message))
            << c.url.toStdString();
    }
}

TEST(SubmitDemo, BaiduSortsTheAddressesAndItsQuotaGoesDownUntilItRunsOut) {
    DemoFetcher demo;
    const QString url = baiduUrl("https%3A%2F%2Fwww.sorting.cn");
    const QJsonObject first =
        QJsonDocument::fromJson(demo.post(url, "text/plain",
                                          "https://www.sorting.cn/a\nhttps://elsewhere.cn/b\n"
                                          "ftp://www.sorting.cn/c\n")
                                    .body)
            .object();
    EXPECT_EQ(first.value(u"success").toInt(), 1);
    EXPECT_EQ(first.value(u"not_same_site").toArray(), QJsonArray{"https://elsewhere.cn/b"});
    EXPECT_EQ(first.value(u"not_valid").toArray(), QJsonArray{"ftp://www.sorting.cn/c"});
    const int quota = first.value(u"remain").toInt() + 1;
    EXPECT_GE(quota, 500);
    EXPECT_LE(quota, 5000);

    // The core reads the same answers: it pushes until the quota is gone, and says so.
    BaiduPushOptions options;
    options.pushBase = QStringLiteral("http://data.zz.baidu.com");
    options.site = QStringLiteral("https://www.sorting.cn");
    options.token = QStringLiteral("t0ken");
    QStringList addresses =
        QString::fromUtf8(lines(options.site, 12'000)).split(u'\n', Qt::SkipEmptyParts);
    std::vector<int> remains;
    const BaiduPushReport report = pushToBaidu(
        demo, options, addresses, [&](const BaiduPushReport& r) { remains.push_back(*r.remain); });
    EXPECT_TRUE(report.overQuota);
    EXPECT_EQ(report.accepted, quota - 1);
    EXPECT_EQ(report.remain, 0);
    EXPECT_TRUE(std::is_sorted(remains.rbegin(), remains.rend()));
    EXPECT_FALSE(report.unsent.isEmpty());
    EXPECT_EQ(report.unsent.size() + report.sent, 12'000);

    // Used up: the next push is refused as Baidu refuses it.
    const HttpResponse again = demo.post(url, "text/plain", "https://www.sorting.cn/z");
    EXPECT_EQ(again.status, 400);
    EXPECT_EQ(QJsonDocument::fromJson(again.body).object().value(u"message").toString(),
              QStringLiteral("over quota"));
}

TEST(SubmitDemo, KeyFilesHoldTheirKey) {
    DemoFetcher demo;
    const HttpResponse key = demo.get(QStringLiteral("https://www.example.cn/0123abcd-XYZ.txt"));
    EXPECT_EQ(key.status, 200);
    EXPECT_EQ(key.body, "0123abcd-XYZ");
    // Too short for a key: an ordinary page, not a key file.
    EXPECT_NE(demo.get(QStringLiteral("https://www.example.cn/short.txt")).body, "short");
}
