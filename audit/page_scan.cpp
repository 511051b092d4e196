#include "audit/page_scan.h"

#include <QRegularExpression>
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <memory>
#include <mutex>

namespace {

struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

QString attribute(xmlNode* node, const char* name) {
    xmlChar* v = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (!v)
        return {};
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(v));
    xmlFree(v);
    return text;
}

bool hasAttribute(xmlNode* node, const char* name) {
    return xmlHasProp(node, reinterpret_cast<const xmlChar*>(name)) != nullptr;
}

QString textOf(xmlNode* node) {
    xmlChar* v = xmlNodeGetContent(node);
    if (!v)
        return {};
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(v)).simplified();
    xmlFree(v);
    return text;
}

bool named(xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE &&
           xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

struct Scanner {
    PageScan scan;
    QUrl page;
    QUrl base;

    void add(const QString& raw, const QString& text, LinkKind kind) {
        const QString trimmed = raw.trimmed();
        if (trimmed.isEmpty())
            return;
        static const QRegularExpression skipped(QStringLiteral("^(javascript|mailto|tel|data):"),
                                                QRegularExpression::CaseInsensitiveOption);
        if (skipped.match(trimmed).hasMatch())
            return;
        const QUrl url = crawlAddress(base.resolved(QUrl(trimmed)));
        if (!url.isValid() || url.isEmpty())
            return;
        scan.links.append({url, url.toString(QUrl::FullyEncoded), text, kind});
        if (kind == LinkKind::Resource && page.scheme() == QLatin1String("https") &&
            url.scheme() == QLatin1String("http"))
            scan.insecure << url.toString(QUrl::FullyEncoded);
    }

    void visit(xmlNode* node) {
        for (xmlNode* n = node; n; n = n->next) {
            if (n->type != XML_ELEMENT_NODE)
                continue;
            element(n);
            visit(n->children);
        }
    }

    void element(xmlNode* n) {
        if (named(n, "title")) {
            if (scan.titles++ == 0)
                scan.title = textOf(n);
        } else if (named(n, "h1")) {
            ++scan.h1s;
        } else if (named(n, "meta")) {
            const QString name = attribute(n, "name").toLower();
            if (name == QLatin1String("description")) {
                scan.hasDescription = !attribute(n, "content").trimmed().isEmpty();
                scan.description = attribute(n, "content").simplified();
            } else if (name == QLatin1String("robots") &&
                       attribute(n, "content")
                           .contains(QLatin1String("noindex"), Qt::CaseInsensitive)) {
                scan.noindex = true;
            }
        } else if (named(n, "a") || named(n, "area")) {
            if (hasAttribute(n, "href"))
                add(attribute(n, "href"),
                    named(n, "a") ? textOf(n) : attribute(n, "alt").simplified(), LinkKind::Page);
        } else if (named(n, "link")) {
            const QStringList rels = attribute(n, "rel").toLower().split(u' ', Qt::SkipEmptyParts);
            const QString href = attribute(n, "href");
            if (rels.contains(QLatin1String("canonical"))) {
                scan.canonical = crawlAddress(base.resolved(QUrl(href.trimmed())));
                add(href, QStringLiteral("<link rel=canonical>"), LinkKind::Page);
            } else if (rels.contains(QLatin1String("alternate")) ||
                       rels.contains(QLatin1String("next")) ||
                       rels.contains(QLatin1String("prev"))) {
                add(href, QStringLiteral("<link rel=%1>").arg(rels.join(u' ')), LinkKind::Page);
            } else if (rels.contains(QLatin1String("stylesheet")) ||
                       rels.contains(QLatin1String("icon"))) {
                add(href, QStringLiteral("<link rel=%1>").arg(rels.join(u' ')), LinkKind::Resource);
            }
        } else if (named(n, "iframe") || named(n, "frame")) {
            add(attribute(n, "src"), QStringLiteral("<iframe src>"), LinkKind::Page);
        } else if (named(n, "img")) {
            add(attribute(n, "src"), attribute(n, "alt").simplified(), LinkKind::Resource);
            if (!hasAttribute(n, "alt"))
                scan.imagesNoAlt << base.resolved(QUrl(attribute(n, "src").trimmed()))
                                        .toString(QUrl::FullyEncoded);
        } else if (named(n, "script")) {
            if (hasAttribute(n, "src"))
                add(attribute(n, "src"), QStringLiteral("<script src>"), LinkKind::Resource);
        }
    }
};

// <base href>, the first in the document as a browser takes it.
xmlNode* findBase(xmlNode* node) {
    for (xmlNode* n = node; n; n = n->next) {
        if (named(n, "base") && hasAttribute(n, "href"))
            return n;
        if (xmlNode* inner = findBase(n->children))
            return inner;
    }
    return nullptr;
}

} // namespace

PageScan scanPage(const QString& html, const QUrl& pageUrl) {
    // The audit's workers parse pages side by side; libxml2 wants its set-up made once first.
    static std::once_flag ready;
    std::call_once(ready, xmlInitParser);
    const QByteArray utf8 = html.toUtf8();
    const QByteArray address = pageUrl.toEncoded();
    std::unique_ptr<xmlDoc, DocFree> doc(
        htmlReadMemory(utf8.constData(), int(utf8.size()), address.constData(), "UTF-8",
                       HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                           HTML_PARSE_NONET | HTML_PARSE_COMPACT));
    Scanner s;
    s.page = pageUrl;
    s.base = pageUrl;
    if (!doc)
        return s.scan;
    xmlNode* root = xmlDocGetRootElement(doc.get());
    if (xmlNode* b = findBase(root))
        s.base = pageUrl.resolved(QUrl(attribute(b, "href").trimmed()));
    s.visit(root);
    return s.scan;
}

QUrl crawlAddress(const QUrl& url) {
    QUrl out = url.adjusted(QUrl::RemoveFragment);
    const int defaultPort = out.scheme() == QLatin1String("https") ? 443 : 80;
    if (out.port() == defaultPort)
        out.setPort(-1);
    if (out.path().isEmpty() && !out.host().isEmpty())
        out.setPath(QStringLiteral("/"));
    return out;
}

QByteArray metaCharset(const QByteArray& body) {
    // Browsers look no further than the first 1024 bytes; pages with long heads put it later,
    // and a few more kilobytes cost nothing.
    static const QRegularExpression meta(
        QStringLiteral("<meta[^>]+charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_.:-]+)"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = meta.match(QString::fromLatin1(body.left(8192)));
    return m.hasMatch() ? m.captured(1).toLatin1().toLower() : QByteArray();
}
