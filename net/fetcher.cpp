#include "net/http_fetch.h"

#include "base/tool_error.h"

// Apart from http_fetch.cpp, so that a program whose fetchers never reach the network (the
// launcher's light commands) does not link libcurl for Fetcher's table of functions.
HttpResponse Fetcher::post(const QString& url, const QByteArray& contentType,
                           const QByteArray& body) {
    (void)contentType;
    (void)body;
    throw ToolError(QStringLiteral("此模式不能向 %1 提交数据").arg(echoed(url)));
}

PageResponse Fetcher::request(const PageRequest& request) {
    PageResponse r;
    r.response = request.form.isEmpty()
                     ? get(request.url)
                     : post(request.url, "application/x-www-form-urlencoded", request.form);
    r.finalUrl = request.url;
    return r;
}
