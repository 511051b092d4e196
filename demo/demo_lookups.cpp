#include "demo/demo_lookups.h"

#include "demo/demo_figures.h"
#include "demo/demo_pages.h"
#include "net/stop.h"

namespace {

// First bytes of public ranges in the Asia-Pacific region, so that the demo's addresses get a
// country from the offline database as real ones do.
const int kFirstBytes[] = {36,  58,  59,  60,  61,  101, 106, 110, 111, 112, 113,
                           114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 124,
                           125, 180, 182, 183, 218, 219, 220, 221, 222};

QString madeUpV4(const QString& host, const char* which) {
    const QString w = QLatin1String(which);
    return QStringLiteral("%1.%2.%3.%4")
        .arg(kFirstBytes[demo::pick(w, host, int(std::size(kFirstBytes)))])
        .arg(demo::pick(w + u'2', host, 256))
        .arg(demo::pick(w + u'3', host, 256))
        .arg(1 + demo::pick(w + u'4', host, 254));
}

} // namespace

Resolution DemoResolver::resolve(const QString& host) {
    if (stopRequested())
        throw ToolStopped{};
    Resolution r;
    if (host.startsWith(QStringLiteral("www.")))
        r.aliases << host.mid(4) + QStringLiteral(".cdn.demo.invalid");
    r.addresses << madeUpV4(host, "first") << madeUpV4(host, "second")
                << QStringLiteral("240e:%1:%2::%3")
                       .arg(demo::pick(QStringLiteral("v6a"), host, 0xfff), 0, 16)
                       .arg(demo::pick(QStringLiteral("v6b"), host, 0xffff), 0, 16)
                       .arg(1 + demo::pick(QStringLiteral("v6c"), host, 0xff), 0, 16);
    return r;
}

QString DemoResolver::reverse(const QString& address) {
    if (stopRequested())
        throw ToolStopped{};
    if (address.contains(u':') || demo::pick(QStringLiteral("ptr"), address, 2) == 0)
        return {};
    QStringList bytes = address.split(u'.');
    std::reverse(bytes.begin(), bytes.end());
    return bytes.join(u'-') + QStringLiteral(".static.demo.invalid");
}

QByteArray DemoWhoisClient::query(const HostPort&, const QString& question) {
    if (stopRequested())
        throw ToolStopped{};
    if (!question.contains(u'.'))
        return demo::fill(demo::readPage(QStringLiteral("whois_iana.txt")),
                          QStringLiteral("whois_iana.txt"), {{QStringLiteral("tld"), question}},
                          demo::Escape::None)
            .toUtf8();
    const QString page = question.startsWith(QStringLiteral("free"))
                             ? QStringLiteral("whois_nomatch.txt")
                             : QStringLiteral("whois_registry.txt");
    return demo::fill(demo::readPage(page), page, demo::registrationHoles(question),
                      demo::Escape::None)
        .toUtf8();
}
