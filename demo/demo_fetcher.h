#pragma once

#include "net/http_fetch.h"

#include <QString>

// What marks results made up by the demo: the window's title ends in it and the CLI says it on
// standard error, so nobody takes a demo figure for a real one.
inline const QString kDemoMark = QStringLiteral("演示数据");

// A fetcher that never goes on the network: every request is answered from the sample pages in
// config/demo/, each in the layout the tool that asks cuts its figures from. The figures are
// made up from the domain or keyword asked about (the same answer for the same question), the
// keyword rank search finds the site it looks for on some engines and not on others, and any
// address that is no engine's gets a sample article (keyword density). Safe to share between
// runs on several threads. Baidu's push and IndexNow are answered too, each site with a daily
// quota that goes down as it is used, and every IndexNow key file holds its key.
class DemoFetcher : public Fetcher {
public:
    HttpResponse get(const QString& url) override;
    PageResponse request(const PageRequest& request) override;
    void lookingFor(const QString& site) override;
    HttpResponse post(const QString& url, const QByteArray& contentType,
                      const QByteArray& body) override;
};
