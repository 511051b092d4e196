#include "submit/post_once_more.h"

#include "net/stop.h"

HttpResponse postOnceMore(Fetcher& fetcher, const QString& url, const QByteArray& contentType,
                          const QByteArray& body, int again, std::chrono::milliseconds wait) {
    const HttpResponse first = fetcher.post(url, contentType, body);
    if (first.status != again)
        return first;
    waitUnlessStopped(wait);
    return fetcher.post(url, contentType, body);
}
