#pragma once

#include "audit/audit_types.h"

#include <QString>
#include <functional>
#include <vector>

// Everything an audit has found, as it finds it, in one SQLite file (WAL): the frontier, every
// fetch, every link. A crawl killed at any moment resumes from the file without asking again
// for an address whose answer was saved; one whose answer was not is asked again.
class CrawlStore {
public:
    // Opens or makes the file; a fresh audit (resume false) empties it first. Raises ToolError
    // naming the file when it cannot be opened or is not an audit's.
    CrawlStore(QString path, bool resume);
    ~CrawlStore();
    CrawlStore(const CrawlStore&) = delete;
    CrawlStore& operator=(const CrawlStore&) = delete;

    QString meta(const QString& key) const;
    void setMeta(const QString& key, const QString& value);

    // What was saved before: how many addresses still wait, the fetches, the addresses robots.txt
    // kept out, the notes and sitemap addresses. The frontier itself stays in the file: a large
    // site's runs to millions of addresses.
    struct Snapshot {
        qint64 waiting = 0;
        std::vector<QString> blocked;
        std::vector<FetchResult> results;
        std::vector<Note> notes;
        std::vector<QString> sitemap;
    };
    Snapshot load() const;
    // Every address ever queued, read a row at a time.
    void eachQueued(const std::function<void(const QString& url)>& visit) const;
    // At most limit of the addresses still waiting that were queued after the one numbered after
    // (0: from the first), in the order they came, pages among them unless not pages; last
    // becomes the number of the last one read.
    std::vector<QueuedUrl> waitingAfter(qint64 after, int limit, qint64& last, bool pages) const;

    // One fetch's answer with the links it brought and the addresses it queued, saved together.
    // Every saved link, in the order they were found, read a row at a time.
    void eachLink(const std::function<void(const LinkRow&)>& visit) const;

    void saveFetch(const FetchResult& result, const std::vector<LinkRow>& links,
                   const std::vector<QueuedUrl>& queued, const std::vector<QString>& blocked);
    void saveQueued(const std::vector<QueuedUrl>& queued, const std::vector<QString>& blocked);
    void saveNote(const Note& note);
    void saveSitemap(const std::vector<QString>& urls);

    // Runs work in one transaction; the saves inside it join it.
    void transaction(const std::function<void()>& work);

private:
    void exec(const QString& sql) const;
    QString path_;
    QString connection_;
    int depth_ = 0; // transactions open, the outermost one real
};
