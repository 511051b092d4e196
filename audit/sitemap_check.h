#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What one sitemap file holds against the rules the audit's sitemap_error keeps: it must parse,
// list at most 50,000 addresses in at most 50 MB, each an http or https address under 2,048
// characters on the sitemap's own host and, for a sitemap at an address, under its folder.
struct SitemapCheck {
    int entries = 0;      // the addresses (or, for an index, the sitemaps) it lists
    bool index = false;   // a sitemap index
    QStringList problems; // one line each, empty when none
};

// location is the sitemap's address, or a local file's path (whose host is that of its first
// entry and which has no folder to keep to).
SitemapCheck checkSitemapFile(const QByteArray& body, const QString& location);
