// Any bytes as an RDAP server's answer and as the bootstrap files: read without a crash, the
// answer's text no longer than its bound, and a service chosen from a bootstrap file is an http or
// https address ending in "/".
#include "base/tool_error.h"
#include "fuzz_support.h"
#include "netinfo/rdap.h"

#include <QJsonDocument>

namespace {

class Answer : public Fetcher {
public:
    explicit Answer(QByteArray body) : body_(std::move(body)) {}
    HttpResponse get(const QString&) override { return {body_, "application/json"}; }

private:
    QByteArray body_;
};

void checkService(const QString& service) {
    if (!service.isEmpty() && !(service.startsWith(QStringLiteral("http://")) ||
                                service.startsWith(QStringLiteral("https://"))))
        fuzz::mismatch("a service is an http or https address", service, QString());
    if (!service.isEmpty() && !service.endsWith(u'/'))
        fuzz::mismatch("a service ends in a slash", service, service + u'/');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> f = fuzz::fields(data, size, 2);
    const QJsonObject object = QJsonDocument::fromJson(f[0]).object();
    readRdapDomain(object);
    readRdapNetwork(object);
    Answer answer(f[0]);
    try {
        const QString text =
            rdapGet(answer, QStringLiteral("http://127.0.0.1/domain/example.com")).text();
        if (text.size() > rdapTextBound(f[0].size()))
            fuzz::mismatch("the text is no longer than its bound", QString::number(text.size()),
                           QString::number(rdapTextBound(f[0].size())));
    } catch (const ToolError&) {
    }
    const EndpointTable endpoints;
    RdapBootstrap bootstrap(answer, endpoints);
    try {
        checkService(bootstrap.serviceForDomain(fuzz::text(f[1])));
        checkService(bootstrap.serviceForAddress(fuzz::text(f[1])));
    } catch (const ToolError&) {
    }
    return 0;
}
