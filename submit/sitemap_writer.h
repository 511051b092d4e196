#pragma once

#include <QString>
#include <QStringList>

// Whose limits a sitemap keeps: sitemaps.org's (50,000 addresses and 50 MB a file, unpacked),
// or Baidu's (under 10 MB, and its sample's 256 bytes at most for a <loc>).
enum class SitemapLimit { Sitemaps, Baidu };

struct SitemapOptions {
    QString base;      // where the files will be served from, for the index's addresses
    QString outDir;    // where they are written
    bool gzip = false; // each file also packed (.xml.gz), which the index then names
    QString lastmod;   // W3C date for every <lastmod>; empty: none
    SitemapLimit limit = SitemapLimit::Sitemaps;
    // The files' name: NAME.xml, or NAME-1.xml… and NAME-index.xml.
    QString name = QStringLiteral("sitemap");
    // Without an index, files that cannot be one are NAME-1.xml… alone: Baidu does not process
    // a dead-link file that is an index.
    bool index = true;
};

struct SitemapResult {
    QStringList files;   // the paths written, the index last
    QStringList tooLong; // addresses over Baidu's 256 bytes, left out
    int written = 0;
};

// The address as a sitemap carries it: RFC 3986's percent-encoding for every character an
// address may not hold raw, then XML's five entities.
QString sitemapLoc(const QString& address);

// Writes sitemap.xml, or sitemap-1.xml… and sitemap-index.xml when one file cannot hold them
// all. Raises ToolError when a file cannot be written or there is nothing to write.
SitemapResult writeSitemaps(const QStringList& addresses, const SitemapOptions& options);

// "写入 N 个网址：", before the files' list.
QString sitemapSummary(const SitemapResult& result);
// A line for each address left out for Baidu's 256 bytes.
QStringList tooLongNotes(const SitemapResult& result);
