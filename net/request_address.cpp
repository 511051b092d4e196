#include "net/request_address.h"

#include "base/tool_error.h"
#include "net/url_encode.h"

namespace {

QString holeValue(const QString& hole, const EndpointTable& endpoints, const RequestValues& v) {
    if (hole == u"d")
        return v.d;
    if (hole == u"k")
        return v.k;
    if (hole == u"k_gbk")
        return URLEncode(v.k);
    if (hole == u"p")
        return QString::number(v.p);
    if (hole == u"start")
        return QString::number((v.p - 1) * v.perPage);
    if (hole == u"first")
        return QString::number((v.p - 1) * v.perPage + 1);
    if (hole == u"lm")
        return v.lm;
    // Sogou's backlink query repeats the host it is sent to.
    if (hole == u"SogouHostName")
        return endpoints.hostName(Endpoint::SogouHost);
    Endpoint e;
    if (EndpointTable::fromName(hole, &e))
        return endpoints.base(e);
    throw ToolError(QStringLiteral("请求模板中有未知的占位符 {%1}").arg(hole));
}

} // namespace

QString requestAddress(std::string_view requestTemplate, const EndpointTable& endpoints,
                       const RequestValues& values) {
    const QString tpl =
        QString::fromUtf8(requestTemplate.data(), qsizetype(requestTemplate.size()));
    QString out;
    qsizetype i = 0;
    while (i < tpl.size()) {
        const qsizetype open = tpl.indexOf(u'{', i);
        const qsizetype close = open < 0 ? -1 : tpl.indexOf(u'}', open);
        if (close < 0) {
            out += QStringView(tpl).mid(i);
            break;
        }
        out += QStringView(tpl).mid(i, open - i);
        out += holeValue(tpl.mid(open + 1, close - open - 1), endpoints, values);
        i = close + 1;
    }
    return out;
}
