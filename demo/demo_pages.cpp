#include "demo/demo_pages.h"

#include "base/program_folder.h"
#include "base/tool_error.h"
#include "demo/demo_figures.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>

namespace demo {
namespace {

const char* const kRegistrars[] = {
    "阿里云计算有限公司（万网）", "腾讯云计算（北京）有限责任公司", "厦门易名科技股份有限公司",
    "新网数码信息技术有限公司",   "北京新网数码信息技术有限公司",   "Example Registrar, Inc.",
};

const struct {
    const char* name;
    const char* owner;
    const char* country;
} kNetworks[] = {
    {"CHINANET-DEMO", "China Telecom Demo Network", "CN"},
    {"UNICOM-DEMO", "China Unicom Demo Backbone", "CN"},
    {"CMNET-DEMO", "China Mobile Demo Communications", "CN"},
    {"EXAMPLE-NET", "Example Hosting Ltd.", "US"},
};

QString jsonEscaped(const QString& value) {
    const QString quoted =
        QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact)); // ["…"]
    return quoted.mid(2, quoted.size() - 4);
}

} // namespace

QString readPage(const QString& name) {
    QFile f(program_folder::file(QStringLiteral("/config/demo/") + name));
    if (!f.open(QIODevice::ReadOnly))
        throw ToolError(
            QStringLiteral("演示页面 %1 不存在或无法读取，请重新安装 Tessivo").arg(f.fileName()));
    return QString::fromUtf8(f.readAll());
}

QString fill(const QString& page, const QString& name, const Holes& holes, Escape escape) {
    QString out;
    qsizetype at = 0;
    for (qsizetype open = page.indexOf(QStringLiteral("{{")); open >= 0;
         open = page.indexOf(QStringLiteral("{{"), at)) {
        const qsizetype close = page.indexOf(QStringLiteral("}}"), open);
        if (close < 0)
            break;
        const QString hole = page.mid(open + 2, close - open - 2);
        const auto value = holes.constFind(hole);
        if (value == holes.constEnd())
            throw ToolError(
                QStringLiteral("演示页面 %1 中的占位符 {{%2}} 无法填写").arg(name, hole));
        out += QStringView(page).mid(at, open - at);
        switch (escape) {
        case Escape::Html:
            out += value->toHtmlEscaped();
            break;
        case Escape::Json:
            out += jsonEscaped(*value);
            break;
        case Escape::None:
            out += *value;
            break;
        }
        at = close + 2;
    }
    out += QStringView(page).mid(at);
    return out;
}

Holes registrationHoles(const QString& domain) {
    const QDateTime created =
        QDateTime(QDate(1998 + pick(QStringLiteral("registered"), domain, 24),
                        1 + pick(QStringLiteral("month"), domain, 12),
                        1 + pick(QStringLiteral("day"), domain, 28)),
                  QTime(pick(QStringLiteral("hour"), domain, 24), 17, 5), QTimeZone::utc());
    // Renewed until a year or two from today, as a live domain is.
    const QDateTime expires =
        created.addYears((QDate::currentDate().year() - created.date().year()) + 1 +
                         pick(QStringLiteral("renewed"), domain, 2));
    const QDateTime updated =
        expires.addYears(-1).addDays(-pick(QStringLiteral("updated"), domain, 60));
    const QTimeZone beijing(8 * 3600);
    Holes h;
    h.insert(QStringLiteral("domain"), domain);
    h.insert(
        QStringLiteral("registrar"),
        QString::fromUtf8(
            kRegistrars[pick(QStringLiteral("registrar"), domain, int(std::size(kRegistrars)))]));
    for (const auto& [key, when] : {std::pair{"created", created}, std::pair{"expires", expires},
                                    std::pair{"updated", updated}}) {
        h.insert(QLatin1String(key), when.toString(Qt::ISODate));
        h.insert(QLatin1String(key) + QStringLiteral("_cn"),
                 when.toTimeZone(beijing).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    }
    const int dns = pick(QStringLiteral("dns"), domain, 9) + 1;
    h.insert(QStringLiteral("ns1"), QStringLiteral("ns%1.dns.demo.invalid").arg(dns));
    h.insert(QStringLiteral("ns2"), QStringLiteral("ns%1.dns.demo.invalid").arg(dns + 1));
    return h;
}

Holes networkHoles(const QString& address) {
    const auto& n = kNetworks[pick(QStringLiteral("network"), address, int(std::size(kNetworks)))];
    Holes h;
    h.insert(QStringLiteral("name"), QLatin1String(n.name));
    h.insert(QStringLiteral("owner"), QLatin1String(n.owner));
    h.insert(QStringLiteral("country"), QLatin1String(n.country));
    const bool v6 = address.contains(u':');
    const QString prefix = v6 ? address.section(u':', 0, 1) : address.section(u'.', 0, 1);
    h.insert(QStringLiteral("start"),
             v6 ? prefix + QStringLiteral("::") : prefix + QStringLiteral(".0.0"));
    h.insert(QStringLiteral("end"), v6 ? prefix + QStringLiteral(":ffff:ffff:ffff:ffff:ffff:ffff")
                                       : prefix + QStringLiteral(".255.255"));
    h.insert(QStringLiteral("address"), address);
    return h;
}

} // namespace demo
