#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What one sitemap file holds: page addresses (a urlset or a text file, one address a line) or
// further sitemaps (an index). A gzip file is unpacked first.
struct SitemapFile {
    QStringList pages;
    QStringList sitemaps;
    QString error; // why the file could not be read; empty when it could
};

SitemapFile parseSitemap(const QByteArray& body);

// The 50 MB a sitemap may hold unpacked, sitemaps.org says.
inline constexpr qint64 kMaxSitemapBytes = 50LL * 1024 * 1024;
// And at most 50,000 addresses.
inline constexpr qsizetype kMaxSitemapUrls = 50'000;
