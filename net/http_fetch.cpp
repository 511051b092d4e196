#include "net/http_fetch.h"

#include "base/charset.h"
#include "base/tool_error.h"

#include <curl/curl.h>
#include <dlfcn.h>
#include <memory>

namespace {

// libcurl is loaded on the first request rather than at start-up: its thirty-odd dependent
// libraries cost a command that makes no request (a conversion, a list) more than its work.
struct CurlLibrary {
    CURLcode (*global_init)(long flags);
    CURL* (*easy_init)();
    CURLcode (*easy_setopt)(CURL* curl, CURLoption option, ...);
    CURLcode (*easy_perform)(CURL* curl);
    CURLcode (*easy_getinfo)(CURL* curl, CURLINFO info, ...);
    void (*easy_cleanup)(CURL* curl);
    const char* (*easy_strerror)(CURLcode code);
};

const CurlLibrary& curl() {
    static const CurlLibrary library = [] {
        void* handle = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            throw ToolError(QStringLiteral("无法加载 HTTP 库 libcurl.so.4（%1），请安装 libcurl4")
                                .arg(QString::fromLocal8Bit(dlerror())));
        const auto symbol = [handle](auto& slot, const char* name) {
            void* p = dlsym(handle, name);
            if (!p)
                throw ToolError(
                    QStringLiteral("HTTP 库 libcurl.so.4 中没有 %1").arg(QLatin1String(name)));
            slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(p);
        };
        CurlLibrary c{};
        symbol(c.global_init, "curl_global_init");
        symbol(c.easy_init, "curl_easy_init");
        symbol(c.easy_setopt, "curl_easy_setopt");
        symbol(c.easy_perform, "curl_easy_perform");
        symbol(c.easy_getinfo, "curl_easy_getinfo");
        symbol(c.easy_cleanup, "curl_easy_cleanup");
        symbol(c.easy_strerror, "curl_easy_strerror");
        c.global_init(CURL_GLOBAL_DEFAULT);
        return c;
    }();
    return library;
}

struct Transfer {
    QByteArray body;
    qint64 cap = 0;
    bool tooLarge = false;
};

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (t->body.size() + qint64(n) > t->cap) {
        t->tooLarge = true;
        return 0; // makes libcurl stop with CURLE_WRITE_ERROR
    }
    t->body.append(data, qsizetype(n));
    return n;
}

struct EasyCleanup {
    void operator()(CURL* c) const { curl().easy_cleanup(c); }
};

} // namespace

QString describeFetchFailure(int curlCode, bool tooLarge, const FetchLimits& limits,
                             const char* detail, const QString& url) {
    const auto code = CURLcode(curlCode);
    QString what;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        what = QStringLiteral("找不到服务器（主机名无法解析）");
        break;
    case CURLE_COULDNT_CONNECT:
        what = QStringLiteral("无法连接到服务器（连接被拒绝或无法到达）");
        break;
    case CURLE_OPERATION_TIMEDOUT:
        what =
            QStringLiteral("请求超时（%1 秒内未完成）")
                .arg(std::chrono::duration_cast<std::chrono::seconds>(limits.totalTimeout).count());
        break;
    case CURLE_TOO_MANY_REDIRECTS:
        what = QStringLiteral("重定向次数过多（超过 %1 次，可能是重定向循环）")
                   .arg(limits.maxRedirects);
        break;
    case CURLE_FILESIZE_EXCEEDED:
        what = QStringLiteral("响应超过 %1 MB 的上限，已中止").arg(limits.maxBodyBytes >> 20);
        break;
    case CURLE_WRITE_ERROR:
        what = tooLarge
                   ? QStringLiteral("响应超过 %1 MB 的上限，已中止").arg(limits.maxBodyBytes >> 20)
                   : QStringLiteral("无法保存收到的数据");
        break;
    case CURLE_PARTIAL_FILE:
        what = QStringLiteral("响应不完整（连接在传输中途断开）");
        break;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
        what = QStringLiteral("连接被重置（传输中断）");
        break;
    case CURLE_GOT_NOTHING:
        what = QStringLiteral("服务器没有返回任何数据");
        break;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        what = QStringLiteral("网址无效（只支持 http 和 https）");
        break;
    default:
        what = QStringLiteral("请求失败");
        break;
    }
    const QString why = detail && *detail ? QString::fromUtf8(detail)
                                          : QString::fromUtf8(curl().easy_strerror(code));
    return QStringLiteral("%1：%2（%3）").arg(what, url, why.trimmed());
}

namespace {

QByteArray charsetOf(const QByteArray& contentType) {
    const QByteArray lower = contentType.toLower();
    const qsizetype at = lower.indexOf("charset=");
    if (at < 0)
        return {};
    QByteArray name = contentType.mid(at + 8);
    const qsizetype end = name.indexOf(';');
    if (end >= 0)
        name.truncate(end);
    name = name.trimmed();
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\''))
        name = name.mid(1, name.size() - 2);
    const QByteArray n = name.trimmed().toLower();
    // Browsers read pages labelled GB2312 as GBK, its superset; so do we.
    if (n == "gb2312" || n == "gb_2312-80" || n == "x-gbk" || n == "cp936")
        return "GBK";
    return name.trimmed();
}

QByteArray charsetFromBom(const QByteArray& body) {
    if (body.startsWith("\xEF\xBB\xBF"))
        return "UTF-8";
    if (body.startsWith("\xFF\xFE"))
        return "UTF-16LE";
    if (body.startsWith("\xFE\xFF"))
        return "UTF-16BE";
    return {};
}

} // namespace

CurlFetcher::CurlFetcher(FetchLimits limits) : limits_(limits) {}

HttpResponse CurlFetcher::get(const QString& url) {
    const CurlLibrary& lib = curl();
    std::unique_ptr<CURL, EasyCleanup> easy(lib.easy_init());
    if (!easy)
        throw ToolError(QStringLiteral("无法创建 HTTP 请求：%1").arg(url));
    CURL* c = easy.get();
    Transfer t;
    t.cap = limits_.maxBodyBytes;
    char detail[CURL_ERROR_SIZE] = {};
    const QByteArray wire = wireUrl(url);

    lib.easy_setopt(c, CURLOPT_URL, wire.constData());
    lib.easy_setopt(c, CURLOPT_HTTPGET, 1L);
    lib.easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    lib.easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    lib.easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    lib.easy_setopt(c, CURLOPT_MAXREDIRS, limits_.maxRedirects);
    lib.easy_setopt(c, CURLOPT_ACCEPT_ENCODING, ""); // every encoding this libcurl can decode
    lib.easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(limits_.connectTimeout.count()));
    lib.easy_setopt(c, CURLOPT_TIMEOUT_MS, long(limits_.totalTimeout.count()));
    lib.easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limits_.maxBodyBytes));
    lib.easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    lib.easy_setopt(c, CURLOPT_USERAGENT, "Mozilla/5.0 (X11; Linux x86_64) Tessivo/2.3");
    lib.easy_setopt(c, CURLOPT_WRITEFUNCTION, onBody);
    lib.easy_setopt(c, CURLOPT_WRITEDATA, &t);
    lib.easy_setopt(c, CURLOPT_ERRORBUFFER, detail);

    const CURLcode rc = lib.easy_perform(c);
    if (rc != CURLE_OK)
        throw ToolError(describeFetchFailure(rc, t.tooLarge, limits_, detail, url));

    HttpResponse r;
    r.body = std::move(t.body);
    char* type = nullptr;
    if (lib.easy_getinfo(c, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
        r.contentType = type;
    return r;
}

QString decodeResponse(const HttpResponse& response, const QString& decodeMode) {
    if (decodeMode == u"0")
        return charset::decodeGbk(response.body);
    QByteArray name = charsetOf(response.contentType);
    std::optional<QString> text;
    if (!name.isEmpty())
        text = charset::decode(response.body, name);
    if (!text) {
        name = charsetFromBom(response.body);
        text = charset::decode(response.body, name.isEmpty() ? QByteArray("UTF-8") : name);
    }
    if (text->startsWith(QChar(0xFEFF)))
        text->remove(0, 1);
    return *text;
}

QString HttpFetch(Fetcher& fetcher, const QString& url, const QString& decodeMode) {
    return decodeResponse(fetcher.get(url), decodeMode);
}

QByteArray wireUrl(const QString& url) {
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(url.size() + 16);
    auto escapeByte = [&](unsigned char b) {
        out.append('%');
        out.append(hex[b >> 4]);
        out.append(hex[b & 15]);
    };
    for (qsizetype i = 0; i < url.size(); ++i) {
        const char16_t u = url[i].unicode();
        if (u > 0x20 && u < 0x7F) {
            out.append(char(u));
        } else if (u <= 0x20 || u == 0x7F || (u >= 0x80 && u <= 0x9F)) {
            escapeByte(static_cast<unsigned char>(u));
        } else {
            qsizetype len = 1;
            if (QChar::isHighSurrogate(u) && i + 1 < url.size() && url[i + 1].isLowSurrogate())
                len = 2;
            for (const char b : QStringView(url).mid(i, len).toUtf8())
                escapeByte(static_cast<unsigned char>(b));
            i += len - 1;
        }
    }
    return out;
}
