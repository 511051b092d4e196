#include "net/engine_files.h"

#include "base/data_file.h"
#include "base/program_folder.h"
#include "base/tool_error.h"
#include "net/endpoint_table.h"
#include "net/request_address.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <mutex>

namespace {

// A file with many wrong lines is described by its first few; the rest are counted.
constexpr int kLinesDescribed = 5;

// The kinds of made-up figures the demo can put into a page.
const char* const kDemoFigures[] = {"count",     "period", "pagerank", "alexa", "sogou-rank",
                                    "chinarank", "listed", "unlisted", "fixed"};

const FieldRule* ruleFor(const EngineSchema& schema, const QString& key) {
    for (const FieldRule& r : schema.fields)
        if (key == QLatin1String(r.key))
            return &r;
    return nullptr;
}

const StrategyRule* strategyFor(const EngineSchema& schema, const QString& name) {
    for (const StrategyRule& s : schema.strategies)
        if (name == QLatin1String(s.name))
            return &s;
    return nullptr;
}

template <typename Names, typename NameOf> QString namesOf(const Names& names, NameOf nameOf) {
    QStringList list;
    for (const auto& n : names)
        list << QLatin1String(nameOf(n));
    return list.join(QStringLiteral("、"));
}

bool listed(std::span<const char* const> names, const QString& name) {
    for (const char* n : names)
        if (name == QLatin1String(n))
            return true;
    return false;
}

QString keyList(const EngineSchema& schema) {
    return namesOf(schema.fields, [](const FieldRule& r) { return r.key; });
}

// Why value cannot be a value of kind; empty when it can.
QString refusal(const EngineSchema& schema, FieldKind kind, const QString& value) {
    switch (kind) {
    case FieldKind::Text:
    case FieldKind::Engine:
        return {};
    case FieldKind::Request:
        try {
            requestAddress(value.toStdString(), EndpointTable(), {});
        } catch (const ToolError& e) {
            return e.description();
        }
        return {};
    case FieldKind::Decode:
        return value == u"gbk" || value == u"declared"
                   ? QString()
                   : QStringLiteral(
                         "解码方式应为 gbk（总按 GBK 读）或 declared（按页面声明的字符集读）");
    case FieldKind::Pages: {
        bool ok = false;
        const int n = value.toInt(&ok);
        return ok && n >= 1 && n <= 10 ? QString() : QStringLiteral("页数应为 1 到 10 的整数");
    }
    case FieldKind::PerPage: {
        bool ok = false;
        const int n = value.toInt(&ok);
        return ok && n >= 1 && n <= 100 ? QString()
                                        : QStringLiteral("每页结果数应为 1 到 100 的整数");
    }
    case FieldKind::Statuses:
        for (const QString& status : value.split(u' ', Qt::SkipEmptyParts)) {
            bool ok = false;
            const int n = status.toInt(&ok);
            if (!ok || n < 100 || n > 599)
                return QStringLiteral("“%1”不是 HTTP 状态（100 到 599 的整数，以空格分开）")
                    .arg(echoed(status));
        }
        return {};
    case FieldKind::Headers:
        for (const QString& header : value.split(QStringLiteral(" || "))) {
            const qsizetype colon = header.indexOf(u':');
            if (colon <= 0 || header.left(colon).trimmed().contains(u' '))
                return QStringLiteral("请求头“%1”应写成“名称: 值”，多个以“ || ”分开")
                    .arg(echoed(header.trimmed()));
        }
        return {};
    case FieldKind::Strategy:
        return strategyFor(schema, value)
                   ? QString()
                   : QStringLiteral("未知的策略“%1”，应为 %2 之一")
                         .arg(echoed(value), namesOf(schema.strategies,
                                                     [](const StrategyRule& s) { return s.name; }));
    case FieldKind::Demo: {
        const QStringList words = value.split(u' ', Qt::SkipEmptyParts);
        if (words.size() != 2 || !listed(kDemoFigures, words[0]))
            return QStringLiteral("应为“数字种类 页面文件名”，数字种类为 %1 之一")
                .arg(namesOf(kDemoFigures, [](const char* n) { return n; }));
        if (words[1].contains(u'/') || words[1].startsWith(u'.'))
            return QStringLiteral("演示页面只写 config/demo/ 中的文件名");
        return {};
    }
    }
    return {};
}

// "key = value": the spaces around the value go, unless it is quoted.
QString valueOf(const QString& written) {
    const QString v = written.trimmed();
    if (v.size() >= 2 && v.startsWith(u'"') && v.endsWith(u'"'))
        return v.mid(1, v.size() - 2);
    return v;
}

// What a finished row lacks or holds too much of; empty when it is whole.
QString rowProblem(const EngineSchema& schema, const EngineEntry& row) {
    if (schema.copies && row.has(QStringLiteral("copies")))
        return row.fields.size() == 1
                   ? QString()
                   : QStringLiteral("引擎“%1”照抄另一个引擎（copies），不能再写别的键")
                         .arg(row.engine);
    QStringList missing;
    for (const FieldRule& r : schema.fields)
        if (r.required && !row.has(QLatin1String(r.key)))
            missing << QLatin1String(r.key);
    if (const StrategyRule* s = strategyFor(schema, row.value(QStringLiteral("strategy"))))
        for (const QString& key : QString::fromLatin1(s->needs).split(u' ', Qt::SkipEmptyParts))
            if (!row.has(key))
                missing << key;
    if (missing.isEmpty())
        return {};
    return QStringLiteral("引擎“%1”缺少 %2").arg(row.engine, missing.join(QStringLiteral("、")));
}

const QRegularExpression kEngineName(QStringLiteral("^[a-z0-9][a-z0-9-]*$"));

} // namespace

bool EngineEntry::has(const QString& key) const {
    for (const auto& [k, v] : fields)
        if (k == key)
            return true;
    return false;
}

QString EngineEntry::value(const QString& key) const {
    for (const auto& [k, v] : fields)
        if (k == key)
            return v;
    return {};
}

Decode decodeOf(const EngineEntry& row) {
    return row.value(QStringLiteral("decode")) == u"gbk" ? Decode::Gbk : Decode::Declared;
}

EngineFile readEngineFile(const QString& path, const EngineSchema& schema, bool complete) {
    const auto whole = [&](const QString& why) {
        return EngineFile{{}, QStringLiteral("引擎文件 %1：%2").arg(path, why)};
    };
    QByteArray bytes;
    if (path.startsWith(QStringLiteral(":/"))) {
        QFile built(path);
        if (!built.open(QIODevice::ReadOnly))
            return whole(QStringLiteral("程序内置的引擎文件读不出来"));
        bytes = built.readAll();
    } else {
        try {
            bytes = readDataFile(path);
        } catch (const ToolError& e) {
            return {{}, e.description()};
        }
    }
    if (const QString why = lineTextProblem(bytes); !why.isEmpty())
        return whole(why);

    EngineFile file;
    QStringList wrong;
    qsizetype wrongLines = 0;
    const auto report = [&](int line, const QString& why) {
        if (++wrongLines <= kLinesDescribed)
            wrong << QStringLiteral("第 %1 行：%2").arg(line).arg(why);
    };
    const auto finish = [&] {
        if (!file.rows.isEmpty())
            if (const QString why = rowProblem(schema, file.rows.back()); !why.isEmpty())
                report(file.rows.back().line, why);
    };
    const QStringList lines = QString::fromUtf8(withoutBom(bytes)).split(u'\n');
    bool inRow = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = int(i + 1);
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString bare = line.trimmed();
        if (bare.isEmpty() || bare.startsWith(u'#') || bare.startsWith(u';'))
            continue;
        if (bare.startsWith(u'[')) {
            finish();
            inRow = false;
            const QString name = bare.mid(1, bare.size() - 2);
            if (!bare.endsWith(u']'))
                report(number, QStringLiteral("节名缺少“]”"));
            else if (!kEngineName.match(name).hasMatch())
                report(number,
                       QStringLiteral("引擎名“%1”只能由小写字母、数字和“-”组成").arg(echoed(name)));
            else if (!schema.engines.empty() && !listed(schema.engines, name))
                report(number, QStringLiteral("%1 没有引擎“%2”，引擎应为 %3 之一")
                                   .arg(QLatin1String(schema.tool), echoed(name),
                                        namesOf(schema.engines, [](const char* n) { return n; })));
            else if (std::any_of(file.rows.begin(), file.rows.end(),
                                 [&](const EngineEntry& r) { return r.engine == name; }))
                report(number, QStringLiteral("引擎“%1”写了两次").arg(name));
            else {
                file.rows.append({QLatin1String(schema.tool), name, path, number, {}});
                inRow = true;
            }
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        const QString key = line.left(eq).trimmed();
        if (eq < 0) {
            report(number, QStringLiteral("应为“键 = 值”"));
            continue;
        }
        if (!inRow) {
            if (file.rows.isEmpty())
                report(number,
                       QStringLiteral("“%1”不在任何引擎的节（[引擎名]）中").arg(echoed(key)));
            continue; // a wrong heading is reported already
        }
        EngineEntry& row = file.rows.back();
        const QString value = valueOf(line.mid(eq + 1));
        const FieldRule* rule = ruleFor(schema, key);
        QString why;
        if (!rule)
            why = QStringLiteral("未知的键“%1”，键应为 %2 之一").arg(echoed(key), keyList(schema));
        else if (row.has(key))
            why = QStringLiteral("键“%1”写了两次").arg(key);
        else
            why = refusal(schema, rule->kind, value);
        if (why.isEmpty())
            row.fields.append({key, value});
        else
            report(number, why);
    }
    finish();
    for (const EngineEntry& row : std::as_const(file.rows))
        if (row.has(QStringLiteral("copies"))) {
            const QString copied = row.value(QStringLiteral("copies"));
            const auto target =
                std::find_if(file.rows.begin(), file.rows.end(),
                             [&](const EngineEntry& r) { return r.engine == copied; });
            if (target == file.rows.end() || target->has(QStringLiteral("copies")))
                report(row.line, QStringLiteral("引擎“%1”照抄的“%2”不是本文件中有自己请求的引擎")
                                     .arg(row.engine, echoed(copied)));
        }
    if (complete)
        for (const char* engine : schema.engines)
            if (std::none_of(file.rows.begin(), file.rows.end(), [&](const EngineEntry& r) {
                    return r.engine == QLatin1String(engine);
                }))
                report(int(lines.size()),
                       QStringLiteral("缺少引擎“%1”的节").arg(QLatin1String(engine)));
    if (wrongLines == 0)
        return file;
    if (wrongLines > kLinesDescribed)
        wrong << QStringLiteral("另有 %1 处有误").arg(wrongLines - kLinesDescribed);
    return {{}, QStringLiteral("引擎文件 %1 %2").arg(path, wrong.join(QStringLiteral("；")))};
}

EngineCatalog EngineCatalog::read(const QString& folder, const QString& userFolder) {
    EngineCatalog catalog;
    for (const EngineSchema& schema : engineSchemas()) {
        const QString name = QLatin1String(schema.tool) + QStringLiteral(".ini");
        Tool tool{QLatin1String(schema.tool), {}, {}};
        const QString shipped = QDir(folder).filePath(name);
        if (!QFileInfo::exists(shipped)) {
            tool.failure = QStringLiteral("引擎文件 %1 不存在：%2 的引擎都写在这个文件中")
                               .arg(shipped, QLatin1String(schema.tool));
        } else {
            EngineFile file = readEngineFile(shipped, schema, true);
            tool.rows = std::move(file.rows);
            tool.failure = file.problem;
        }
        if (!tool.failure.isEmpty())
            catalog.problems_ << tool.failure;

        const QString own = QDir(userFolder).filePath(name);
        if (!userFolder.isEmpty() && QFileInfo::exists(own)) {
            const EngineFile file = readEngineFile(own, schema, false);
            if (!file.problem.isEmpty())
                catalog.problems_ << file.problem +
                                         QStringLiteral("。这个文件没有采用，%1 用程序自带的引擎")
                                             .arg(QLatin1String(schema.tool));
            for (const EngineEntry& row : file.rows) {
                const auto at =
                    std::find_if(tool.rows.begin(), tool.rows.end(),
                                 [&](const EngineEntry& r) { return r.engine == row.engine; });
                if (at != tool.rows.end())
                    *at = row;
                else
                    tool.rows.append(row);
            }
        }
        catalog.tools_.append(std::move(tool));
    }
    return catalog;
}

const QList<EngineEntry>& EngineCatalog::rows(const QString& tool) const {
    for (const Tool& t : tools_)
        if (t.name == tool) {
            if (!t.failure.isEmpty())
                throw ToolError(t.failure);
            return t.rows;
        }
    throw ToolError(QStringLiteral("没有名为“%1”的引擎文件").arg(echoed(tool)));
}

const EngineEntry& EngineCatalog::row(const QString& tool, const QString& engine) const {
    for (const EngineEntry& r : rows(tool))
        if (r.engine == engine)
            return r;
    throw ToolError(QStringLiteral("%1 的引擎文件中没有引擎“%2”").arg(tool, engine));
}

QList<EngineEntry> EngineCatalog::all() const {
    QList<EngineEntry> every;
    for (const Tool& t : tools_)
        if (t.failure.isEmpty())
            every << t.rows;
    return every;
}

QStringList EngineCatalog::problems() const {
    return problems_;
}

namespace {

std::mutex gLock;
QString gFolder;
std::shared_ptr<const EngineCatalog> gCatalog;
QString gReadFrom; // the folders gCatalog was read from; empty while a guard holds it
std::function<void(const QStringList&)> gReporter;

} // namespace

namespace engines {

QString shippedFolder() {
    {
        std::lock_guard lock(gLock);
        if (!gFolder.isEmpty())
            return gFolder;
    }
    // A data folder without engine files (an older --config-dir folder, a partial copy) still
    // leaves the tools their engines: the same files are built into the program.
    const QString data = program_folder::file(QStringLiteral("/config/engines"));
    return QFileInfo(data).isDir() ? data : QStringLiteral(":/engines");
}

QString userFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/engines");
}

void useFolder(const QString& folder) {
    std::lock_guard lock(gLock);
    gFolder = folder;
}

void setProblemReporter(std::function<void(const QStringList&)> reportProblems) {
    std::lock_guard lock(gLock);
    gReporter = std::move(reportProblems);
}

const EngineCatalog& catalog() {
    const QString folder = shippedFolder();
    const QString user = userFolder();
    const QString from = folder + u'\n' + user;
    std::unique_lock lock(gLock);
    // Read again when the data folder moved (a test's, or --config-dir set late).
    if (!gCatalog || (!gReadFrom.isEmpty() && gReadFrom != from)) {
        gCatalog = std::make_shared<const EngineCatalog>(EngineCatalog::read(folder, user));
        gReadFrom = from;
        if (gReporter && !gCatalog->problems().isEmpty())
            gReporter(gCatalog->problems());
    }
    return *gCatalog;
}

} // namespace engines

EngineCatalogGuard::EngineCatalogGuard(EngineCatalog catalog) {
    std::lock_guard lock(gLock);
    previous_ = std::exchange(gCatalog, std::make_shared<const EngineCatalog>(std::move(catalog)));
    previousFrom_ = std::exchange(gReadFrom, QString());
}

EngineCatalogGuard::~EngineCatalogGuard() {
    std::lock_guard lock(gLock);
    gCatalog = std::move(previous_);
    gReadFrom = std::move(previousFrom_);
}
