#include "submit/sitemap_writer.h"

#include "base/saved_file.h"
#include "base/tool_error.h"
#include "net/http_fetch.h"

#include <QDir>
#include <zlib.h>

namespace {

constexpr int kMaxUrlsPerFile = 50'000;
constexpr qint64 kSitemapsBytes = 52'428'800;
// Baidu wants a file under 10 MB, so the last byte short of it.
constexpr qint64 kBaiduBytes = 10'485'760 - 1;
constexpr qsizetype kBaiduLocBytes = 256;

const QByteArray kUrlsetOpen = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                               "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
const QByteArray kUrlsetClose = "</urlset>\n";
const QByteArray kIndexOpen =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<sitemapindex xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
const QByteArray kIndexClose = "</sitemapindex>\n";

QByteArray escapeXml(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QByteArray entry(const char* tag, const QString& address, const QString& lastmod) {
    QByteArray e = QByteArray("<") + tag + "><loc>" + sitemapLoc(address).toUtf8() + "</loc>";
    if (!lastmod.isEmpty())
        e += "<lastmod>" + lastmod.toUtf8() + "</lastmod>";
    return e + "</" + tag + ">\n";
}

void saveGzip(const QString& path, const QByteArray& bytes) {
    QByteArray packed(qsizetype(compressBound(uLong(bytes.size()))) + 64, Qt::Uninitialized);
    z_stream z = {};
    // 16 + MAX_WBITS: a gzip header and trailer around the deflate stream.
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        throw ToolError(QStringLiteral("无法压缩 %1").arg(path));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    z.avail_in = uInt(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(packed.data());
    z.avail_out = uInt(packed.size());
    const int rc = deflate(&z, Z_FINISH);
    packed.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    if (rc != Z_STREAM_END)
        throw ToolError(QStringLiteral("无法压缩 %1").arg(path));
    saveFile(path, packed);
}

} // namespace

QString sitemapLoc(const QString& address) {
    // wireUrl escapes what libcurl cannot send; RFC 3986 also keeps these out of an address.
    static const QByteArray notInUri = "\"<>\\^`{|}";
    QByteArray out;
    for (const char c : wireUrl(address)) {
        if (notInUri.contains(c))
            out += '%' + QByteArray::number(uchar(c), 16).toUpper();
        else
            out += c;
    }
    return QString::fromUtf8(escapeXml(out));
}

SitemapResult writeSitemaps(const QStringList& addresses, const SitemapOptions& options) {
    const bool baidu = options.limit == SitemapLimit::Baidu;
    const qint64 maxBytes = baidu ? kBaiduBytes : kSitemapsBytes;
    SitemapResult result;
    std::vector<QByteArray> files;
    QByteArray current;
    int inCurrent = 0;
    for (const QString& address : addresses) {
        if (baidu && sitemapLoc(address).toUtf8().size() > kBaiduLocBytes) {
            result.tooLong << address;
            continue;
        }
        const QByteArray e = entry("url", address, options.lastmod);
        if (inCurrent == kMaxUrlsPerFile ||
            (inCurrent > 0 &&
             kUrlsetOpen.size() + current.size() + e.size() + kUrlsetClose.size() > maxBytes)) {
            files.push_back(kUrlsetOpen + current + kUrlsetClose);
            current.clear();
            inCurrent = 0;
        }
        current += e;
        ++inCurrent;
        ++result.written;
    }
    if (inCurrent > 0)
        files.push_back(kUrlsetOpen + current + kUrlsetClose);
    if (files.empty())
        throw ToolError(QStringLiteral("没有可以写入网站地图的网址"));
    if (!QDir().mkpath(options.outDir))
        throw ToolError(QStringLiteral("无法创建文件夹 %1").arg(options.outDir));

    const QString suffix = options.gzip ? QStringLiteral(".xml.gz") : QStringLiteral(".xml");
    auto write = [&](const QString& name, const QByteArray& bytes) {
        const QString path = QDir(options.outDir).filePath(name + suffix);
        if (options.gzip)
            saveGzip(path, bytes);
        else
            saveFile(path, bytes);
        result.files << path;
    };
    if (files.size() == 1) {
        write(options.name, files.front());
        return result;
    }
    QString base = options.base;
    if (!base.endsWith(u'/'))
        base += u'/';
    QByteArray index;
    for (size_t i = 0; i < files.size(); ++i) {
        const QString name = QStringLiteral("%1-%2").arg(options.name).arg(i + 1);
        write(name, files[i]);
        index += entry("sitemap", base + name + suffix, options.lastmod);
    }
    if (options.index)
        write(options.name + QStringLiteral("-index"), kIndexOpen + index + kIndexClose);
    return result;
}

QString sitemapSummary(const SitemapResult& result) {
    return QStringLiteral("写入 %1 个网址：").arg(result.written);
}

QStringList tooLongNotes(const SitemapResult& result) {
    QStringList notes;
    for (const QString& a : result.tooLong)
        notes << QStringLiteral("未采用（编码后超过百度的 256 字节）：") + a;
    return notes;
}
