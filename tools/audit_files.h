#pragma once

#include "audit/site_audit.h"
#include "base/figure.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

// What an audit leaves behind, the same from the window and the command line.

// The state file of start's site (scheme, host and port) in the user's data folder, audits/, so
// that a resumed audit finds the one of the same site. Raises ToolError when the folder cannot
// be made. The demo's audits keep files of their own.
QString auditStateFile(const QString& start, bool demo = false);

// The audit as `tessivo-cli audit --json` writes it: its pages, problems and counts.
QJsonObject auditJson(const AuditReport& report);

// The problems as CSV: UTF-8 with a byte-order mark, a row a problem (kind, url, from, text,
// detail), the pages that link to it and their texts a line each within their field.
QByteArray auditCsv(const AuditReport& report);

// Baidu's dead-link files: each broken address once, a line each, in UTF-8, at most
// kDeadLinksPerFile a file. No file when nothing is broken.
inline constexpr int kDeadLinksPerFile = 50'000;
QList<QByteArray> deadLinkFiles(const AuditReport& report);
// Where the files go: path itself for the first, then "name-2.txt", "name-3.txt" …
QString deadLinkFilePath(const QString& path, int index);

// What the history keeps of an audit: the page count and each kind's count.
QList<Figure> auditFigures(const AuditReport& report);

// What changed since the last whole audit of the same site: the problems (kind and address)
// found now and not then, and those found then and not now.
struct AuditChanges {
    std::vector<std::pair<QString, QString>> added;
    std::vector<std::pair<QString, QString>> mended;
};

// The last whole audit's problems are kept beside its state file.
QString lastProblemsFile(const QString& stateFile);
// Nothing when no audit of the site was kept (or its file is unreadable).
std::optional<AuditChanges> auditChanges(const QString& lastFile, const AuditReport& report);
// Keeps report's problems for the next comparison; raises ToolError when it cannot.
void keepProblems(const QString& lastFile, const AuditReport& report);
