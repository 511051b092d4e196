#include "audit/audit_checks.h"

#include "base/display_width.h"

#include <QHash>
#include <map>

namespace {

bool readable(const FetchResult& r) {
    return r.kind == LinkKind::Page && r.html && r.status >= 200 && r.status < 300 && !r.truncated;
}

QString failure(const FetchResult& r) {
    return r.status == 0 ? r.error : QStringLiteral("HTTP %1").arg(r.status);
}

// A few of the others, not a thousand.
QString others(const QStringList& urls, const QString& self) {
    QStringList rest;
    for (const QString& u : urls)
        if (u != self)
            rest << u;
    const qsizetype total = rest.size();
    if (rest.size() > 5)
        rest = rest.mid(0, 5) << QStringLiteral("…");
    return QStringLiteral("另有 %1 个网页相同：%2").arg(total).arg(rest.join(QStringLiteral("、")));
}

} // namespace

const QStringList& auditProblemKinds() {
    static const QStringList kinds = {
        QStringLiteral("broken_link"),
        QStringLiteral("redirect_chain"),
        QStringLiteral("redirect_loop"),
        QStringLiteral("temporary_redirect"),
        QStringLiteral("missing_title"),
        QStringLiteral("duplicate_title"),
        QStringLiteral("title_too_long"),
        QStringLiteral("missing_description"),
        QStringLiteral("duplicate_description"),
        QStringLiteral("missing_h1"),
        QStringLiteral("multiple_h1"),
        QStringLiteral("noindex"),
        QStringLiteral("canonical_elsewhere"),
        QStringLiteral("canonical_broken"),
        QStringLiteral("blocked_by_robots"),
        QStringLiteral("in_sitemap_not_linked"),
        QStringLiteral("linked_not_in_sitemap"),
        QStringLiteral("sitemap_error"),
        QStringLiteral("charset_mismatch"),
        QStringLiteral("mixed_content"),
        QStringLiteral("image_without_alt"),
        QStringLiteral("slow_page"),
        QStringLiteral("large_page"),
        QStringLiteral("trap"),
    };
    return kinds;
}

QMap<QString, QString> redirectEnds(const std::vector<FetchResult>& results) {
    QHash<QString, QString> next;
    for (const FetchResult& r : results)
        if (!r.location.isEmpty() && r.kind == LinkKind::Page)
            next.insert(r.url, r.location);
    QMap<QString, QString> ends;
    for (auto it = next.begin(); it != next.end(); ++it) {
        QSet<QString> seen{it.key()};
        QString at = it.value();
        while (next.contains(at) && !seen.contains(at)) {
            seen.insert(at);
            at = next.value(at);
        }
        ends.insert(it.key(), at);
    }
    return ends;
}

CheckedCrawl checkCrawl(const CrawlFindings& f) {
    CheckedCrawl checked;
    struct Pending {
        AuditProblem problem;
        bool linkers; // its from is every page that links to its address
    };
    std::map<QString, std::vector<Pending>> byKind;
    QHash<QString, QString> location;
    for (const FetchResult& r : f.results)
        if (!r.location.isEmpty() && r.kind == LinkKind::Page)
            location.insert(r.url, r.location);
    // The links are read twice from the store rather than held: a large site has millions.
    // First what is linked at all, and by a page's link rather than only by a redirect: of the
    // addresses fetched and those in the sitemap alone, not of the millions a crawl may find.
    QSet<QString> asked(f.sitemap);
    for (const FetchResult& r : f.results)
        asked.insert(r.url);
    QSet<QString> reached;
    QSet<QString> linked;
    QSet<QString> linkedByOthers;
    f.eachLink([&](const LinkRow& l) {
        if (!asked.contains(l.to))
            return;
        reached.insert(l.to);
        if (l.from != l.to)
            linkedByOthers.insert(l.to);
        if (location.value(l.from) != l.to) {
            linked.insert(l.to);
            ++checked.inlinks[l.to];
        }
    });
    auto add = [&](const char* kind, const QString& url, const QString& detail,
                   std::vector<LinkRow> rows) {
        byKind[QLatin1String(kind)].push_back(
            {{QLatin1String(kind), url, std::move(rows), detail}, false});
    };
    auto report = [&](const char* kind, const QString& url, const QString& detail) {
        byKind[QLatin1String(kind)].push_back({{QLatin1String(kind), url, {}, detail}, true});
    };

    QHash<QString, const FetchResult*> byUrl;
    for (const FetchResult& r : f.results)
        byUrl.insert(r.url, &r);
    QHash<QString, QStringList> titles;
    QHash<QString, QStringList> descriptions;
    QHash<QString, std::vector<LinkRow>> imagesNoAlt;
    QHash<QString, std::vector<LinkRow>> insecure;
    QStringList imageOrder;
    QStringList insecureOrder;
    for (const FetchResult& r : f.results) {
        if (r.status == 0 || r.status >= 400)
            report("broken_link", r.url, failure(r));
        if (r.kind != LinkKind::Page)
            continue;
        if (!r.location.isEmpty()) {
            if (r.status == 302 || r.status == 307)
                report("temporary_redirect", r.url,
                       QStringLiteral("%1 临时重定向到 %2").arg(r.status).arg(r.location));
            if (linked.contains(r.url) || !reached.contains(r.url)) {
                QStringList chain{r.url};
                QString at = r.location;
                bool loop = false;
                while (true) {
                    if (chain.contains(at)) {
                        loop = true;
                        chain << at;
                        break;
                    }
                    chain << at;
                    if (!location.contains(at))
                        break;
                    at = location.value(at);
                }
                const QString shown = chain.join(QStringLiteral(" → "));
                if (loop)
                    report("redirect_loop", r.url, shown);
                else if (chain.size() > 2)
                    report("redirect_chain", r.url,
                           QStringLiteral("%1 次重定向：%2").arg(chain.size() - 1).arg(shown));
            }
        }
        if (r.noindex)
            report("noindex", r.url, QStringLiteral("meta robots 或 X-Robots-Tag 含 noindex"));
        if (r.ms > kSlowPageMs)
            report("slow_page", r.url, QStringLiteral("用时 %1 毫秒").arg(r.ms));
        if (r.bytes > kLargePageBytes || r.truncated)
            report("large_page", r.url,
                   r.truncated ? QStringLiteral("超过 %1 字节，未读完也未检查").arg(r.bytes)
                               : QStringLiteral("%1 字节").arg(r.bytes));
        if (!readable(r))
            continue;
        if (r.title.trimmed().isEmpty())
            report("missing_title", r.url, QStringLiteral("没有 <title> 或标题为空"));
        else
            titles[r.title.trimmed()] << r.url;
        if (displayWidth(r.title.trimmed()) > kMaxTitleColumns)
            report("title_too_long", r.url,
                   QStringLiteral("标题宽 %1 列（上限 %2）：%3")
                       .arg(displayWidth(r.title.trimmed()))
                       .arg(kMaxTitleColumns)
                       .arg(r.title.trimmed()));
        if (!r.hasDescription)
            report("missing_description", r.url,
                   QStringLiteral("没有 <meta name=\"description\"> 或内容为空"));
        else
            descriptions[r.description] << r.url;
        if (r.h1s == 0)
            report("missing_h1", r.url, QStringLiteral("没有 <h1>"));
        else if (r.h1s > 1)
            report("multiple_h1", r.url, QStringLiteral("有 %1 个 <h1>").arg(r.h1s));
        if (!r.canonical.isEmpty() && r.canonical != r.url) {
            report("canonical_elsewhere", r.url,
                   QStringLiteral("规范网址指向 %1").arg(r.canonical));
            const FetchResult* target = byUrl.value(r.canonical);
            if (target && (target->status == 0 || target->status >= 400))
                report(
                    "canonical_broken", r.url,
                    QStringLiteral("规范网址 %1 无法访问：%2").arg(r.canonical, failure(*target)));
        }
        if (!r.mismatch.isEmpty())
            report("charset_mismatch", r.url, r.mismatch);
        for (const QString& image : r.imagesNoAlt) {
            if (!imagesNoAlt.contains(image))
                imageOrder << image;
            imagesNoAlt[image].push_back({r.url, image, QString()});
        }
        for (const QString& resource : r.insecure) {
            if (!insecure.contains(resource))
                insecureOrder << resource;
            insecure[resource].push_back({r.url, resource, QString()});
        }
    }
    for (const FetchResult& r : f.results) {
        if (!readable(r))
            continue;
        const QStringList& sameTitle = titles.value(r.title.trimmed());
        if (sameTitle.size() > 1)
            report("duplicate_title", r.url, others(sameTitle, r.url));
        if (r.hasDescription) {
            const QStringList& same = descriptions.value(r.description);
            if (same.size() > 1)
                report("duplicate_description", r.url, others(same, r.url));
        }
        if (f.sitemapRead && !f.sitemap.contains(r.url) && linked.contains(r.url))
            report("linked_not_in_sitemap", r.url, QStringLiteral("站点地图中没有这个网页"));
    }
    for (const QString& image : imageOrder)
        add("image_without_alt", image, QStringLiteral("<img> 没有 alt 属性"),
            imagesNoAlt.value(image));
    for (const QString& resource : insecureOrder)
        add("mixed_content", resource, QStringLiteral("HTTPS 网页引用了 HTTP 资源"),
            insecure.value(resource));
    for (const QString& url : f.blocked)
        report("blocked_by_robots", url, QStringLiteral("robots.txt 禁止抓取"));
    QStringList listed = f.sitemap.values();
    listed.sort();
    for (const QString& url : listed) {
        if (!linkedByOthers.contains(url) && url != f.start)
            report("in_sitemap_not_linked", url,
                   QStringLiteral("站点地图列出，但没有网页链接到它"));
    }
    for (const Note& n : f.notes)
        report(n.kind.toLatin1().constData(), n.url, n.detail);
    // Then who links to each address with a problem, each page once, with its link's text.
    QHash<QString, std::vector<LinkRow>> from;
    for (const auto& [kind, pending] : byKind)
        for (const Pending& p : pending)
            if (p.linkers)
                from.insert(p.problem.url, {});
    QSet<std::pair<QString, QString>> pairs;
    f.eachLink([&](const LinkRow& l) {
        auto it = from.find(l.to);
        if (it == from.end() || pairs.contains({l.to, l.from}))
            return;
        pairs.insert({l.to, l.from});
        it->push_back(l);
    });
    for (const QString& kind : auditProblemKinds()) {
        auto it = byKind.find(kind);
        if (it == byKind.end())
            continue;
        for (Pending& p : it->second) {
            if (p.linkers)
                p.problem.from = from.value(p.problem.url);
            checked.problems.push_back(std::move(p.problem));
        }
    }
    return checked;
}
