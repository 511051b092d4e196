#pragma once

#include <QByteArray>
#include <QStringList>

// The pages of an audit (`tessivo-cli audit --json`) that belong in a sitemap: answered 200,
// not noindex, not canonicalised to another address and not disallowed by robots.txt, in the
// audit's order. Raises ToolError when the text is not an audit's JSON.
QStringList sitemapPagesOfAudit(const QByteArray& json);

// The audit's addresses that answered 404 or 410, for Baidu's dead-link file: the statuses that
// say a page is gone, where a 5xx or no answer may pass. Raises ToolError as above.
QStringList deadLinksOfAudit(const QByteArray& json);
