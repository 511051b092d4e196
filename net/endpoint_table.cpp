#include "net/endpoint_table.h"

#include "base/data_file.h"
#include "base/program_folder.h"
#include "base/tool_error.h"
#include "net/endpoint_names.h"
#include "net/host_port.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>
#include <optional>

namespace {

// A file with many wrong lines is described by its first few; the rest are counted.
constexpr int kLinesDescribed = 5;

// The port as written, or nothing: QUrl refuses a port over 65535 without saying so clearly.
std::optional<qint64> writtenPort(const QString& value) {
    const qsizetype schemeEnd = value.indexOf(QStringLiteral("://"));
    if (schemeEnd < 0)
        return std::nullopt;
    QString authority = value.mid(schemeEnd + 3);
    for (const QChar end : {u'/', u'?', u'#'})
        if (const qsizetype at = authority.indexOf(end); at >= 0)
            authority.truncate(at);
    const qsizetype colon = authority.lastIndexOf(u':');
    if (colon < 0 || colon < authority.lastIndexOf(u']'))
        return std::nullopt;
    bool ok = false;
    const qint64 port = authority.mid(colon + 1).toLongLong(&ok);
    return ok ? std::optional(port) : std::nullopt;
}

// The endpoints files every program reads, in order: the one in the data folder, then the
// user's own.
QStringList configuredFiles() {
    return {program_folder::file(QStringLiteral("/config/endpoints.ini")),
            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
                QStringLiteral("/endpoints.ini")};
}

bool present(const QString& file) {
    return QFileInfo::exists(file) || QFileInfo(file).isSymLink();
}

} // namespace

EndpointTable::EndpointTable() {
    for (const EndpointInfo& e : kEndpoints)
        bases_[size_t(e.endpoint)] =
            e.defaultBase
                ? QString::fromLatin1(e.defaultBase)
                : QUrl::fromLocalFile(program_folder::path()).toString(QUrl::FullyEncoded);
}

EndpointTable EndpointTable::forProgram() {
    QString problem;
    EndpointTable table = forProgram(&problem);
    if (!problem.isEmpty())
        throw ToolError(problem);
    return table;
}

EndpointTable EndpointTable::forProgram(QString* problem) {
    EndpointTable table;
    QStringList problems;
    for (const QString& ini : configuredFiles())
        if (present(ini))
            if (const QString wrong = table.apply(ini); !wrong.isEmpty())
                problems << wrong;
    *problem = problems.join(u'\n');
    return table;
}

void EndpointTable::set(Endpoint e, const QString& base) {
    QString b = base.trimmed();
    while (b.endsWith(u'/') && !b.endsWith(QStringLiteral("://")))
        b.chop(1);
    bases_[size_t(e)] = b;
}

QString EndpointTable::refusal(Endpoint e, const QString& value) {
    if (e == Endpoint::WhoisHost) {
        const auto parsed = parseHostPort(value, kWhoisPort);
        return std::holds_alternative<QString>(parsed) ? std::get<QString>(parsed) : QString();
    }
    const std::optional<qint64> port = writtenPort(value);
    if (port && (*port < 1 || *port > 65535))
        return QStringLiteral("端口须在 1 到 65535 之间");
    const QUrl url(value, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https" && scheme != u"file"))
        return QStringLiteral("“%1”不是 http 或 https 地址").arg(echoed(value));
    if (scheme == u"file" && e != Endpoint::MakerHost)
        return QStringLiteral("只有 MakerHost 可以是 file 地址");
    if (scheme != u"file" && url.host().isEmpty())
        return QStringLiteral("“%1”中没有主机名").arg(echoed(value));
    if (!url.userInfo().isEmpty())
        return QStringLiteral("地址中不能有用户名或密码");
    if (url.hasQuery())
        return QStringLiteral("地址中不能有查询（“?”及其后的部分）");
    if (url.hasFragment())
        return QStringLiteral("地址中不能有片段（“#”及其后的部分）");
    return {};
}

QString EndpointTable::apply(const QString& iniPath) {
    const auto fileProblem = [&](const QString& why) {
        return QStringLiteral("端点配置文件 %1：%2").arg(iniPath, why);
    };
    QByteArray bytes;
    try {
        bytes = readDataFile(iniPath);
    } catch (const ToolError& e) {
        return e.description(); // it names the file
    }
    if (const QString why = lineTextProblem(bytes); !why.isEmpty())
        return fileProblem(why);
    QStringList wrong;
    qsizetype wrongLines = 0;
    const QStringList lines = QString::fromUtf8(withoutBom(bytes)).split(u'\n');
    enum { None, Endpoints, Unknown } section = None;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        QString why;
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            section = Unknown;
            if (!line.endsWith(u']'))
                why = QStringLiteral("节名缺少“]”");
            else if (line == u"[endpoints]")
                section = Endpoints;
            else
                why = QStringLiteral("未知的节“%1”，端点只写在 [endpoints] 节中（区分大小写）")
                          .arg(echoed(line));
        } else if (section == Unknown) {
            continue; // its section is reported already
        } else {
            const qsizetype eq = line.indexOf(u'=');
            const QString key = line.left(eq).trimmed();
            Endpoint e;
            if (eq < 0)
                why = QStringLiteral("应为“名称=地址”");
            else if (section == None)
                why = QStringLiteral("“%1”不在 [endpoints] 节中").arg(echoed(key));
            else if (!fromName(key, &e))
                why = QStringLiteral("未知的端点名“%1”，端点名应为 %2 之一")
                          .arg(echoed(key), endpointNames());
            else
                why = refusal(e, line.mid(eq + 1).trimmed());
            if (why.isEmpty())
                set(e, line.mid(eq + 1).trimmed());
        }
        if (why.isEmpty())
            continue;
        if (++wrongLines <= kLinesDescribed)
            wrong << QStringLiteral("第 %1 行：%2").arg(i + 1).arg(why);
    }
    if (wrong.isEmpty())
        return {};
    if (wrongLines > kLinesDescribed)
        wrong << QStringLiteral("另有 %1 行有误").arg(wrongLines - kLinesDescribed);
    return QStringLiteral("端点配置文件 %1 %2").arg(iniPath, wrong.join(QStringLiteral("；")));
}

void EndpointTable::load(const QString& iniPath) {
    const QString problem = apply(iniPath);
    if (!problem.isEmpty())
        throw ToolError(problem);
}

QString EndpointTable::hostName(Endpoint e) const {
    const QUrl url(base(e));
    QString host = url.host();
    if (url.port() != -1)
        host += u':' + QString::number(url.port());
    return host;
}

HostPort EndpointTable::whoisServer() const {
    const auto parsed = parseHostPort(base(Endpoint::WhoisHost), kWhoisPort);
    if (const QString* why = std::get_if<QString>(&parsed))
        throw ToolError(QStringLiteral("端点 WhoisHost 有误：%1").arg(*why));
    return std::get<HostPort>(parsed);
}

bool EndpointTable::fromName(const QString& name, Endpoint* e) {
    for (const EndpointInfo& n : kEndpoints)
        if (name == QLatin1String(n.name)) {
            *e = n.endpoint;
            return true;
        }
    return false;
}
