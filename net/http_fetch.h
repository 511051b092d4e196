#pragma once

#include "base/charset.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <chrono>
#include <memory>
#include <utility>

// One HTTP response as the tools see it: the raw body, the declared content type and the status.
struct HttpResponse {
    QByteArray body;
    QByteArray contentType;
    // The HTTP status, 0 when the fetcher has none (the demo's pages). The engines' cutters
    // read error pages like any other; RDAP tells "not found" by it when the body does not.
    long status = 0;
};

// A request shaped like a browser's, for pages that answer only one: the headers it sends,
// a form it posts, and whether a redirect is followed or handed back to be looked at.
struct PageRequest {
    QString url;
    QList<std::pair<QByteArray, QByteArray>> headers = {}; // sent as given; User-Agent among them
    QByteArray form = {}; // when not empty, POSTed as application/x-www-form-urlencoded
    bool followRedirects = true;
};

// The answer to a PageRequest, with the headers a caller of one needs.
struct PageResponse {
    HttpResponse response;
    QByteArray location;       // the Location header, as sent (a redirect not followed)
    QList<QByteArray> cookies; // the "name=value" of each Set-Cookie, in order
    QString finalUrl;          // where the answer came from after the redirects followed
};

// Where the tools get their pages from. The window and the CLI use CurlFetcher; window tests
// substitute their own.
class Fetcher {
public:
    virtual ~Fetcher() = default;
    // A blocking GET of a complete address; raises ToolError naming the address on failure.
    // Any HTTP status is a response: an error page is searched like any other page.
    virtual HttpResponse get(const QString& url) = 0;
    // The same within timeout at most (the rest of a lookup's time limit), or sooner when the
    // fetcher's own limits say so. A fetcher without time-outs of its own ignores it.
    virtual HttpResponse getWithin(const QString& url, std::chrono::milliseconds timeout) {
        (void)timeout;
        return get(url);
    }
    // Told by a run that looks for a site among the results it fetches (the keyword rank search)
    // which site that is, before its requests, on the thread that makes them. A real fetcher has
    // no use for it; the demo's puts the site among its made-up results.
    virtual void lookingFor(const QString& site) { (void)site; }
    // A blocking POST of body, sent as contentType, without following a redirect (the
    // submission interfaces answer where they are asked). Any HTTP status is a response; raises
    // ToolError naming the address when no answer came, or when this fetcher cannot send one.
    virtual HttpResponse post(const QString& url, const QByteArray& contentType,
                              const QByteArray& body);
    // One request as a browser makes it. Any HTTP status is a response; raises ToolError naming
    // the address when no answer came. A fetcher that sends no headers of its own answers it by
    // get (or post for a form), with no headers in the answer.
    virtual PageResponse request(const PageRequest& request);
};

struct FetchLimits {
    // Long enough for a slow engine page, short enough that a stalled server does not hold
    // the window for minutes.
    std::chrono::milliseconds connectTimeout{10'000};
    std::chrono::milliseconds totalTimeout{30'000};
    // Result pages are a few hundred kilobytes; anything this large is not one.
    qint64 maxBodyBytes = 32LL * 1024 * 1024;
    long maxRedirects = 10;
    // The proxy every request goes through ("http://host:port", "socks5://host:port"). Empty:
    // libcurl follows http_proxy, https_proxy and no_proxy from the environment by itself.
    QString proxy = {};
    // A PEM file of the certificates that https answers must be signed by, instead of the
    // system's store: the self-signed loopback servers of the tests and benchmarks. Empty: the
    // system's store.
    QString caFile = {};
};

// libcurl's process-wide tear-down; each main() holds one for its whole run. The set-up is made
// at the first request (which raises ToolError when libcurl cannot be initialised), so a run
// that makes none never loads the TLS library's state.
class CurlGlobal {
public:
    CurlGlobal();
    ~CurlGlobal();
    CurlGlobal(const CurlGlobal&) = delete;
    CurlGlobal& operator=(const CurlGlobal&) = delete;
};

// One run of a tool (a survey's eight requests, the rank search's pages, the badges, the related
// rows), held by the thread that makes its requests for as long as the run lasts. The
// CurlFetcher requests made meanwhile on that thread share DNS answers, TLS sessions and open
// connections, so a run pays each host's handshakes once; when the session ends, its
// connections are closed and nothing of it is kept. Holding one is cheap: nothing is made
// before the first request, and fetchers that do not go to the network ignore it. Without a
// session every request opens a connection of its own. A session inside another stands for a
// run of its own until it ends. Made and ended on the same thread, with a CurlGlobal alive.
class FetchSession {
public:
    FetchSession();
    ~FetchSession();
    FetchSession(const FetchSession&) = delete;
    FetchSession& operator=(const FetchSession&) = delete;

    // The session this thread's requests belong to; null outside one.
    static FetchSession* current();

    // What the requests share: CurlFetcher's own business, made at its first request.
    struct Shared;
    Shared& shared();

private:
    FetchSession* previous_;
    std::unique_ptr<Shared> shared_;
};

// One request of a crawler, which follows redirects itself and reads the headers.
struct HopRequest {
    QString url;
    bool head = false;    // HEAD: the status and headers alone
    QByteArray userAgent; // empty: the program's own
};

struct HopResponse {
    HttpResponse response;
    QByteArray location;   // the Location header, as sent
    QByteArray retryAfter; // Retry-After
    QByteArray robotsTag;  // X-Robots-Tag
    // The body went past FetchLimits::maxBodyBytes and holds only that much: a page too large
    // to read is still a page that answered.
    bool truncated = false;
};

// libcurl, one easy handle per call: no cookie, header or option is kept between calls, and
// no connection either outside a FetchSession. Redirects are followed and compressed bodies
// accepted. A stop of the calling thread's run (see net/stop.h) aborts the transfer within
// 50 ms and raises ToolStopped.
class CurlFetcher : public Fetcher {
public:
    explicit CurlFetcher(FetchLimits limits = {});
    HttpResponse get(const QString& url) override;
    HttpResponse getWithin(const QString& url, std::chrono::milliseconds timeout) override;
    // One request without following a redirect; raises ToolError when no answer came.
    HopResponse hop(const HopRequest& request);
    HttpResponse post(const QString& url, const QByteArray& contentType,
                      const QByteArray& body) override;
    // The cookies a redirect followed sets are sent on along it, and forgotten after the call.
    PageResponse request(const PageRequest& request) override;

private:
    FetchLimits limits_;
};

// The body as text, read the way mode says.
QString decodeResponse(const HttpResponse& response, Decode mode);

// The error text for a failed transfer: what happened and the address, then libcurl's detail
// where it tells more than the description does (why a connection failed, how much was missing).
// connected tells a time-out while connecting from one after.
QString describeFetchFailure(int curlCode, bool tooLarge, const FetchLimits& limits,
                             const char* detail, const QString& url, bool connected);

// One request, one decoding.
QString HttpFetch(Fetcher& fetcher, const QString& url, Decode mode);

// The address as sent on the wire: libcurl refuses raw spaces and sends raw bytes, so exactly
// the characters a URL cannot carry are percent-encoded (space, other control characters,
// non-ASCII as UTF-8); everything else, "%" included, goes as typed. U+0080..U+009F stand
// for single raw bytes (URLEncode leaves GBK trail bytes 0x80..0x9F that way) and go as %80..%9F.
QByteArray wireUrl(const QString& url);
