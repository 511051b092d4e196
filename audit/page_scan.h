#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// What a link leads to: a page the crawl reads in turn, or a target it only checks (an image,
// a script, a style sheet).
enum class LinkKind { Page, Resource };

struct PageLink {
    QUrl url;        // absolute, without its fragment
    QString address; // url, fully encoded: made where the page is read, off the crawl's thread
    QString text;    // the anchor's text, or the element and attribute it came from ("<img src>")
    LinkKind kind;
};

// What the audit reads off one HTML page.
struct PageScan {
    QString title;
    int titles = 0;
    QString description;
    bool hasDescription = false;
    int h1s = 0;
    bool noindex = false;    // <meta name="robots" content="…noindex…">
    QUrl canonical;          // <link rel="canonical">, resolved; empty when none
    QList<PageLink> links;   // in document order, javascript:, mailto:, tel:, data: left out
    QStringList imagesNoAlt; // the src of each <img> without an alt attribute
    QStringList insecure;    // http: resources of an https page
};

// The page's text read through libxml2's HTML parser, as a browser would: addresses resolved
// against <base href> (itself resolved against pageUrl) or else pageUrl.
PageScan scanPage(const QString& html, const QUrl& pageUrl);

// An address as the audit keys it: without its fragment or a default port, "/" for an empty
// path, so that the ways of writing one address are one address.
QUrl crawlAddress(const QUrl& url);

// The charset a page's own markup declares in its first bytes (<meta charset> or
// <meta http-equiv="Content-Type" content="…; charset=…">), lower case; empty when none.
QByteArray metaCharset(const QByteArray& body);
