#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// What a site's robots.txt allows one crawler (RFC 9309), and the lines beside the rules that
// the audit reads: Crawl-delay (no standard, but widely sent) and Sitemap.
class RobotsRules {
public:
    // Everything allowed: no file, or a 4xx answer.
    static RobotsRules allowAll();
    // Nothing allowed but /robots.txt itself: the file could not be read (5xx, no answer).
    static RobotsRules disallowAll();
    // The groups of file that name productToken (case-insensitively), merged; else those of
    // "*"; else no rule. Only the first kMaxRobotsBytes are read; malformed lines are skipped.
    static RobotsRules parse(const QByteArray& file, const QString& productToken);

    // Whether the path with its query (percent-encoded, as sent) may be fetched: the longest
    // matching pattern wins, an allow over a disallow of the same length.
    bool allows(const QByteArray& pathAndQuery) const;

    std::optional<double> crawlDelaySeconds() const { return crawlDelay_; }
    // The Sitemap lines of the whole file, whichever group they stand in.
    const QStringList& sitemaps() const { return sitemaps_; }

private:
    struct Rule {
        QByteArray pattern;
        bool allow;
    };
    std::vector<Rule> rules_;
    bool blockAll_ = false;
    std::optional<double> crawlDelay_;
    QStringList sitemaps_;
};

// RFC 9309 asks a crawler to read at least 500 KiB of the file.
inline constexpr qsizetype kMaxRobotsBytes = 500 * 1024;
