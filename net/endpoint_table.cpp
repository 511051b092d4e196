#include "net/endpoint_table.h"

#include "base/program_folder.h"
#include "base/tool_error.h"
#include "net/endpoint_names.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

EndpointTable::EndpointTable() {
    for (const EndpointInfo& e : kEndpoints)
        bases_[size_t(e.endpoint)] =
            e.defaultBase
                ? QString::fromLatin1(e.defaultBase)
                : QUrl::fromLocalFile(program_folder::path()).toString(QUrl::FullyEncoded);
}

EndpointTable EndpointTable::forProgram() {
    EndpointTable table;
    for (const QString& ini : {program_folder::file(QStringLiteral("/config/endpoints.ini")),
                               QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
                                   QStringLiteral("/endpoints.ini")})
        if (QFileInfo::exists(ini))
            table.load(ini);
    return table;
}

void EndpointTable::set(Endpoint e, const QString& base) {
    QString b = base.trimmed();
    while (b.endsWith(u'/') && !b.endsWith(QStringLiteral("://")))
        b.chop(1);
    bases_[size_t(e)] = b;
}

void EndpointTable::load(const QString& iniPath) {
    QFile f(iniPath);
    if (!f.open(QIODevice::ReadOnly))
        throw ToolError(
            QStringLiteral("无法读取端点配置文件 %1：%2").arg(iniPath, f.errorString()));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    QString section;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const auto fail = [&](const QString& why) {
            throw ToolError(
                QStringLiteral("端点配置文件 %1 第 %2 行：%3").arg(iniPath).arg(i + 1).arg(why));
        };
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']'))
                fail(QStringLiteral("节名缺少“]”"));
            section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        if (section != u"endpoints")
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            fail(QStringLiteral("应为“名称=地址”"));
        Endpoint e;
        const QString key = line.left(eq).trimmed();
        if (!fromName(key, &e))
            fail(QStringLiteral("未知的端点名“%1”，端点名应为 %2 之一").arg(key, endpointNames()));
        const QString value = line.mid(eq + 1).trimmed();
        const QUrl url(value);
        const QString scheme = url.scheme();
        if (!url.isValid() || (scheme != u"http" && scheme != u"https" && scheme != u"file"))
            fail(QStringLiteral("“%1”不是 http、https 或 file 地址").arg(value));
        set(e, value);
    }
}

QString EndpointTable::hostName(Endpoint e) const {
    const QUrl url(base(e));
    QString host = url.host();
    if (url.port() != -1)
        host += u':' + QString::number(url.port());
    return host;
}

bool EndpointTable::fromName(const QString& name, Endpoint* e) {
    for (const EndpointInfo& n : kEndpoints)
        if (name == QLatin1String(n.name)) {
            *e = n.endpoint;
            return true;
        }
    return false;
}
