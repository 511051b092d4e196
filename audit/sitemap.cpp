#include "audit/sitemap.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <memory>
#include <mutex>
#include <optional>
#include <zlib.h>

namespace {

struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

// Unpacks gzip up to kMaxSitemapBytes; nothing when the data is broken or larger.
std::optional<QByteArray> gunzip(const QByteArray& packed) {
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK)
        return std::nullopt;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()));
    z.avail_in = uInt(packed.size());
    QByteArray out;
    char buffer[65536];
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, qsizetype(sizeof buffer - z.avail_out));
        if (out.size() > kMaxSitemapBytes || (rc == Z_BUF_ERROR && z.avail_in == 0))
            break;
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END)
        return std::nullopt;
    return out;
}

bool named(xmlNode* n, const char* name) {
    return n->type == XML_ELEMENT_NODE &&
           xmlStrcmp(n->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

QString locOf(xmlNode* entry) {
    for (xmlNode* c = entry->children; c; c = c->next)
        if (named(c, "loc")) {
            xmlChar* v = xmlNodeGetContent(c);
            const QString text = QString::fromUtf8(reinterpret_cast<const char*>(v)).trimmed();
            xmlFree(v);
            return text;
        }
    return {};
}

} // namespace

SitemapFile parseSitemap(const QByteArray& body) {
    static std::once_flag ready;
    std::call_once(ready, xmlInitParser);
    SitemapFile file;
    QByteArray data = body;
    if (data.startsWith("\x1F\x8B")) {
        const auto unpacked = gunzip(data);
        if (!unpacked) {
            file.error = QStringLiteral("gzip 数据损坏或解压后超过 50 MB");
            return file;
        }
        data = *unpacked;
    }
    if (data.size() > kMaxSitemapBytes) {
        file.error = QStringLiteral("超过 50 MB 的上限");
        return file;
    }
    const QByteArray head = data.left(512).trimmed();
    if (!head.startsWith('<')) {
        // A text sitemap: one address a line, UTF-8 (Baidu also takes GBK, which ASCII addresses
        // read the same in).
        for (const QByteArray& line : data.split('\n')) {
            const QString url = QString::fromUtf8(line.trimmed());
            if (url.startsWith(QLatin1String("http://")) ||
                url.startsWith(QLatin1String("https://")))
                file.pages << url;
        }
        if (file.pages.isEmpty())
            file.error = QStringLiteral("既不是 XML 也没有一行网址");
        return file;
    }
    std::unique_ptr<xmlDoc, DocFree> doc(
        xmlReadMemory(data.constData(), int(data.size()), nullptr, nullptr,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc) {
        file.error = QStringLiteral("不是格式正确的 XML");
        return file;
    }
    xmlNode* root = xmlDocGetRootElement(doc.get());
    const bool index = root && named(root, "sitemapindex");
    if (!root || (!index && !named(root, "urlset"))) {
        file.error = QStringLiteral("根元素不是 <urlset> 或 <sitemapindex>");
        return file;
    }
    for (xmlNode* n = root->children; n; n = n->next)
        if (named(n, index ? "sitemap" : "url")) {
            const QString loc = locOf(n);
            if (!loc.isEmpty())
                (index ? file.sitemaps : file.pages) << loc;
        }
    return file;
}
