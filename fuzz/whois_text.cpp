// Any bytes as a WHOIS server's answer: decoded, judged and summarised without a crash; the
// summary's name servers are single lower-case words and its dates, when read, are UTC.
#include "fuzz_support.h"
#include "netinfo/whois_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        decodeWhois(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    whoisVerdict(text);
    whoisReferral(text);
    registrarWhoisServer(text);
    const WhoisSummary s = readWhoisSummary(text);
    for (const QString& ns : s.nameServers)
        if (ns.contains(u' ') || ns != ns.toLower())
            fuzz::mismatch("a name server is one lower-case word", ns, ns.toLower());
    for (const QDateTime& when : {s.created, s.expires, s.updated})
        if (when.isValid() && when.timeSpec() != Qt::UTC)
            fuzz::mismatch("dates are UTC", when.toString(Qt::ISODate), QString());
    return 0;
}
