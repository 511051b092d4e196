#pragma once

#include "net/http_fetch.h"

#include <chrono>

// A POST that is sent once more, after wait, when its first answer has the status again (Baidu's
// 500, IndexNow's 429); the wait ends at once on a stop.
HttpResponse postOnceMore(Fetcher& fetcher, const QString& url, const QByteArray& contentType,
                          const QByteArray& body, int again, std::chrono::milliseconds wait);
