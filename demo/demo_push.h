#pragma once

#include "net/http_fetch.h"

#include <QString>
#include <optional>

// The demo's link-submission interfaces, told apart by the request's address alone as every demo
// answer is.
namespace demo {

// A POST to Baidu's /urls or IndexNow's /indexnow, answered as the services answer; nothing for
// any other address. Each site has a made-up daily quota of Baidu's push, shared by every run of
// the process: what one push accepts, the next finds gone.
std::optional<HttpResponse> pushAnswer(const QString& url, const QByteArray& body);

// An IndexNow key file, KEY.txt: the demo has every key put at its site, so it holds its name.
// Nothing when the address names no such file.
std::optional<HttpResponse> keyFileAnswer(const QString& url);

} // namespace demo
