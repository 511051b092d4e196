#include "netinfo/lookup_figures.h"

#include "netinfo/lookup_text.h"

namespace {

Figure textFigure(const QString& label, const QString& text) {
    return missingFigure(label, text, Why::NoNumber);
}

} // namespace

QList<Figure> ipRowFigures(const IpAddressRow& row) {
    const QString at = row.address + u'/';
    QList<Figure> figures{textFigure(at + QStringLiteral("reverse"), row.reverse),
                          row.countryProblem.isEmpty()
                              ? textFigure(at + QStringLiteral("country"), row.country)
                              : missingFigure(at + QStringLiteral("country"), QStringLiteral("-"),
                                              Why::Failed, row.countryProblem)};
    for (const auto& [label, text] : {std::pair{QStringLiteral("network"), row.network},
                                      std::pair{QStringLiteral("owner"), row.owner}})
        figures << (row.rdapProblem.isEmpty() ? textFigure(at + label, text)
                                              : missingFigure(at + label, QStringLiteral("-"),
                                                              Why::Failed, row.rdapProblem));
    return figures;
}

QList<Figure> domainFigures(const DomainRecord& record) {
    switch (record.answer) {
    case DomainRecord::Answer::NoMatch:
        return {textFigure(QStringLiteral("answer"), QStringLiteral("no_match"))};
    case DomainRecord::Answer::RateLimited:
        return {textFigure(QStringLiteral("answer"), QStringLiteral("rate_limited"))};
    case DomainRecord::Answer::Record:
        break;
    }
    return {
        textFigure(QStringLiteral("source"), record.source),
        textFigure(QStringLiteral("server"), record.server),
        textFigure(QStringLiteral("registrar"), record.registrar),
        textFigure(QStringLiteral("created"), isoTime(record.created)),
        textFigure(QStringLiteral("expires"), isoTime(record.expires)),
        textFigure(QStringLiteral("updated"), isoTime(record.updated)),
        textFigure(QStringLiteral("name_servers"), record.nameServers.join(u' ')),
        textFigure(QStringLiteral("status"), record.status.join(u' ')),
        textFigure(QStringLiteral("dnssec"), record.dnssec),
    };
}
