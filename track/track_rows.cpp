#include "track/track_rows.h"

#include "net/engine_files.h"

namespace {

QStringList listOf(const EngineEntry& entry, const char* key) {
    QStringList values;
    for (const QString& v : entry.value(QLatin1String(key)).split(QStringLiteral(" || ")))
        if (!v.trimmed().isEmpty())
            values << v.trimmed();
    return values;
}

int numberOf(const EngineEntry& entry, const char* key, int otherwise) {
    bool ok = false;
    const int n = entry.value(QLatin1String(key)).toInt(&ok);
    return ok ? n : otherwise;
}

} // namespace

QString TrackRow::where() const {
    return QStringLiteral("%1 第 %2 行的 [%3] 节").arg(file, QString::number(line), engine);
}

TrackRow trackRow(const EngineEntry& entry) {
    TrackRow row;
    row.engine = entry.engine;
    row.file = entry.file;
    row.line = entry.line;
    row.request = entry.value(QStringLiteral("request"));
    row.form = entry.value(QStringLiteral("form"));
    row.cookieFrom = entry.value(QStringLiteral("cookie-from"));
    row.nextForm = listOf(entry, "next-form");
    row.pages = numberOf(entry, "pages", row.pages);
    row.perPage = numberOf(entry, "per-page", row.perPage);
    for (const QString& header : listOf(entry, "headers")) {
        const qsizetype colon = header.indexOf(u':');
        if (colon > 0)
            row.headers.append(
                {header.left(colon).trimmed().toUtf8(), header.mid(colon + 1).trimmed().toUtf8()});
    }
    row.address = {entry.value(QStringLiteral("strategy")), entry.value(QStringLiteral("link-key")),
                   entry.value(QStringLiteral("link-prefix")),
                   entry.value(QStringLiteral("link-wrapper")),
                   entry.value(QStringLiteral("no-address"))};
    row.items = listOf(entry, "items");
    row.title = listOf(entry, "title");
    row.link = listOf(entry, "link");
    row.ads = listOf(entry, "ads");
    row.noResults = listOf(entry, "no-results");
    row.blockTexts = listOf(entry, "block-texts");
    row.blockRedirects = listOf(entry, "block-redirects");
    row.blockXPath = listOf(entry, "block-xpath");
    for (const QString& status :
         entry.value(QStringLiteral("block-statuses")).split(u' ', Qt::SkipEmptyParts))
        row.blockStatuses << status.toLong();
    return row;
}
