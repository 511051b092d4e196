#include "net/endpoint_names.h"

#include "net/endpoint_table.h"

#include <QStringList>

QString endpointNames() {
    QStringList names;
    for (const EndpointInfo& e : kEndpoints)
        names << QLatin1String(e.name);
    return names.join(u'、');
}

QString endpointDefaults() {
    QString lines;
    for (const EndpointInfo& e : kEndpoints)
        lines += QStringLiteral("  %1%2\n")
                     .arg(QLatin1String(e.name), -18)
                     .arg(e.defaultBase ? QLatin1String(e.defaultBase)
                                        : QStringLiteral("程序的数据文件夹（引擎标志和版本页面）"));
    return lines;
}
