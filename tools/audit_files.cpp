#include "tools/audit_files.h"

#include "base/saved_file.h"
#include "base/tool_error.h"
#include "history/history_export.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>

QString auditStateFile(const QString& start, bool demo) {
    const QUrl url(start);
    QString name = QStringLiteral("%1_%2_%3")
                       .arg(url.scheme(), url.host().toLower())
                       .arg(url.port(url.scheme() == QLatin1String("https") ? 443 : 80));
    for (QChar& c : name)
        if (!c.isLetterOrNumber() && c != u'.' && c != u'-' && c != u'_')
            c = u'_';
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
                           QStringLiteral("/audits");
    if (!QDir().mkpath(folder))
        throw ToolError(QStringLiteral("无法创建文件夹 %1").arg(echoed(folder)));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder + u'/' + (demo ? QStringLiteral("demo_") : QString()) + name +
           QStringLiteral(".sqlite");
}

namespace {

QJsonValue orNull(const QString& text) {
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

} // namespace

QJsonObject auditJson(const AuditReport& report) {
    QJsonArray pages;
    for (const FetchResult& p : report.pages)
        pages.append(QJsonObject{{QStringLiteral("url"), p.url},
                                 {QStringLiteral("status"), p.status},
                                 {QStringLiteral("redirect"), orNull(report.finalUrl.value(p.url))},
                                 {QStringLiteral("depth"), p.depth},
                                 {QStringLiteral("title"), p.title},
                                 {QStringLiteral("description"), p.description},
                                 {QStringLiteral("canonical"), orNull(p.canonical)},
                                 {QStringLiteral("charset"), orNull(p.charset)},
                                 {QStringLiteral("bytes"), p.bytes},
                                 {QStringLiteral("ms"), p.ms},
                                 {QStringLiteral("inlinks"), report.inlinks.value(p.url)}});
    QJsonArray problems;
    QJsonObject counts;
    for (const QString& kind : auditProblemKinds())
        counts.insert(kind, 0);
    for (const AuditProblem& p : report.problems) {
        QJsonArray from;
        for (const LinkRow& l : p.from)
            from.append(
                QJsonObject{{QStringLiteral("url"), l.from}, {QStringLiteral("text"), l.text}});
        problems.append(QJsonObject{{QStringLiteral("kind"), p.kind},
                                    {QStringLiteral("url"), p.url},
                                    {QStringLiteral("from"), from},
                                    {QStringLiteral("detail"), p.detail}});
        counts.insert(p.kind, counts.value(p.kind).toInt() + 1);
    }
    return {{QStringLiteral("start"), report.start},
            {QStringLiteral("pages"), pages},
            {QStringLiteral("problems"), problems},
            {QStringLiteral("counts"), counts},
            {QStringLiteral("stopped_by"), orNull(report.stoppedBy)}};
}

QByteArray auditCsv(const AuditReport& report) {
    QByteArray out = "\xEF\xBB\xBF";
    out += csvLine({QStringLiteral("kind"), QStringLiteral("url"), QStringLiteral("from"),
                    QStringLiteral("text"), QStringLiteral("detail")})
               .toUtf8();
    for (const AuditProblem& p : report.problems) {
        QStringList from;
        QStringList texts;
        for (const LinkRow& l : p.from) {
            from << l.from;
            texts << l.text;
        }
        out += csvLine({p.kind, p.url, from.join(u'\n'), texts.join(u'\n'), p.detail}).toUtf8();
    }
    return out;
}

QList<QByteArray> deadLinkFiles(const AuditReport& report) {
    QList<QByteArray> files;
    QSet<QString> seen;
    int lines = kDeadLinksPerFile;
    for (const AuditProblem& p : report.problems) {
        if (p.kind != QLatin1String("broken_link") || seen.contains(p.url))
            continue;
        seen.insert(p.url);
        if (lines == kDeadLinksPerFile) {
            files.append(QByteArray());
            lines = 0;
        }
        files.last() += p.url.toUtf8() + '\n';
        ++lines;
    }
    return files;
}

QString deadLinkFilePath(const QString& path, int index) {
    if (index == 0)
        return path;
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    return info.path() + u'/' + info.completeBaseName() + u'-' + QString::number(index + 1) +
           suffix;
}

QList<Figure> auditFigures(const AuditReport& report) {
    QMap<QString, int> counts;
    for (const AuditProblem& p : report.problems)
        ++counts[p.kind];
    QList<Figure> figures{
        countFigure(QStringLiteral("pages"), QString::number(report.pages.size()))};
    for (const QString& kind : auditProblemKinds())
        figures << countFigure(kind, QString::number(counts.value(kind)));
    return figures;
}

namespace {

using ProblemKey = std::pair<QString, QString>;

std::vector<ProblemKey> keysOf(const AuditReport& report) {
    std::vector<ProblemKey> keys;
    QSet<QString> seen;
    for (const AuditProblem& p : report.problems)
        if (!seen.contains(p.kind + u' ' + p.url)) {
            seen.insert(p.kind + u' ' + p.url);
            keys.emplace_back(p.kind, p.url);
        }
    return keys;
}

std::vector<ProblemKey> without(const std::vector<ProblemKey>& keys,
                                const std::vector<ProblemKey>& others) {
    QSet<QString> skip;
    for (const auto& [kind, url] : others)
        skip.insert(kind + u' ' + url);
    std::vector<ProblemKey> left;
    for (const ProblemKey& key : keys)
        if (!skip.contains(key.first + u' ' + key.second))
            left.push_back(key);
    return left;
}

} // namespace

QString lastProblemsFile(const QString& stateFile) {
    return stateFile + QStringLiteral(".last.json");
}

std::optional<AuditChanges> auditChanges(const QString& lastFile, const AuditReport& report) {
    QFile file(lastFile);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isArray())
        return std::nullopt;
    std::vector<ProblemKey> before;
    for (const QJsonValue& v : document.array())
        before.emplace_back(v[0].toString(), v[1].toString());
    const std::vector<ProblemKey> now = keysOf(report);
    return AuditChanges{without(now, before), without(before, now)};
}

void keepProblems(const QString& lastFile, const AuditReport& report) {
    QJsonArray problems;
    for (const auto& [kind, url] : keysOf(report))
        problems.append(QJsonArray{kind, url});
    const QByteArray bytes = QJsonDocument(problems).toJson(QJsonDocument::Compact);
    saveFile(lastFile, bytes);
}
