#include "research/research_figures.h"

QList<Figure> keywordRowFigures(const KeywordRow& row) {
    const std::pair<const char*, const QString*> columns[] = {
        {"当日关注", &row.today},
        {"一周关注", &row.week},
        {"一月关注", &row.month},
        {"一季关注", &row.quarter},
    };
    QList<Figure> figures;
    for (const auto& [caption, text] : columns)
        figures << countFigure(row.keyword + u'/' + QString::fromUtf8(caption), *text);
    return figures;
}

QList<Figure> densityFigures(const KeywordDensity& d) {
    const auto whole = [](const char* label, qsizetype n) {
        Figure f;
        f.label = QLatin1String(label);
        f.text = QString::number(n);
        f.number = double(n);
        return f;
    };
    return {whole("page_length", d.pageLength), whole("keyword_length", d.keywordLength),
            whole("frequency", d.frequency), whole("keyword_total_length", d.keywordTotalLength),
            countFigure(QStringLiteral("density"), d.density)};
}
