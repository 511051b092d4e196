#pragma once

#include "base/charset.h"
#include "net/engine_schema.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>

// The engines every tool asks live in text files a webmaster can edit: config/engines/<tool>.ini
// in the data folder (or the folder --engines-dir names), one section a row:
//
//   [baidu]
//   request = {BaiduSearchHost}/s?wd=site%3A{d}
//   start = 找到相关网页
//
// UTF-8, "#" or ";" opening a comment line, "key = value" with the spaces around the value
// dropped; a value in double quotes is taken as it stands between them, spaces included. The
// user's own files (~/.config/tessivo/engines/<tool>.ini) replace shipped rows by engine and add
// new ones where the tool takes any.

// One engine of one tool, as a file gives it.
struct EngineEntry {
    QString tool;
    QString engine;
    QString file;
    int line = 0; // of its section's heading
    QList<std::pair<QString, QString>> fields;

    bool has(const QString& key) const;
    // The value of key; empty when the row does not give it.
    QString value(const QString& key) const;
};

// The row's decoding: "gbk" or "declared".
Decode decodeOf(const EngineEntry& row);

// What one file gives: its rows in order, or what is wrong with it (the file, each wrong line
// and why), in which case it gives no rows.
struct EngineFile {
    QList<EngineEntry> rows;
    QString problem;
};

// Reads the engines file of tool at path against the tool's schema. A complete file must give
// every engine of a tool with a fixed set; a user's file may give only those it changes.
EngineFile readEngineFile(const QString& path, const EngineSchema& schema, bool complete);

// The rows in force: each tool's file in the engines folder, with the user's files laid over.
class EngineCatalog {
public:
    // Reads every tool's file in folder and userFolder (either may be missing). A wrong user file
    // is left out and described in problems(); a wrong or missing file of folder leaves its tool
    // without rows, and asking for them raises its description.
    static EngineCatalog read(const QString& folder, const QString& userFolder);

    // The tool's rows in order. Raises ToolError when its file could not be read.
    const QList<EngineEntry>& rows(const QString& tool) const;
    // The row of one engine; raises ToolError when the tool has none of that name.
    const EngineEntry& row(const QString& tool, const QString& engine) const;
    // Every tool's rows, tools in the window's order; tools whose file failed are left out.
    QList<EngineEntry> all() const;
    // What was wrong with the files read, one description a file; empty when nothing was.
    QStringList problems() const;

private:
    struct Tool {
        QString name;
        QList<EngineEntry> rows;
        QString failure; // the shipped file's problem
    };
    QList<Tool> tools_;
    QStringList problems_;
};

namespace engines {

// The shipped folder: config/engines in the data folder, unless a program chose another; the
// copy built into the program (":/engines") when the data folder has none.
QString shippedFolder();
// The user's folder: engines/ in the configuration folder (~/.config/tessivo/engines).
QString userFolder();

// Reads the engines from folder instead of the shipped one (--engines-dir). Call before the
// first catalog().
void useFolder(const QString& folder);

// The program's catalog, read the first time it is asked for (from any thread); when the
// files had problems, reportProblems is told them then, once.
const EngineCatalog& catalog();
void setProblemReporter(std::function<void(const QStringList&)> reportProblems);

} // namespace engines

// Puts catalog in place of the program's for as long as it lives (tests).
class EngineCatalogGuard {
public:
    explicit EngineCatalogGuard(EngineCatalog catalog);
    ~EngineCatalogGuard();
    EngineCatalogGuard(const EngineCatalogGuard&) = delete;
    EngineCatalogGuard& operator=(const EngineCatalogGuard&) = delete;

private:
    std::shared_ptr<const EngineCatalog> previous_;
    QString previousFrom_;
};
