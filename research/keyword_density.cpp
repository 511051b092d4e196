#include "research/keyword_density.h"

#include "base/html_text.h"
#include "base/text_ops.h"
#include "research/text_measures.h"

QString spiderText(const HttpResponse& response) {
    QString page = decodeResponse(response, Decode::Gbk).toLower();
    if (page.contains(QStringLiteral("utf-8")))
        page = decodeResponse(response, Decode::Declared).toLower();
    const int body = text::inStr(1, page, QStringLiteral("<body"));
    if (body > 0)
        page = text::midToEnd(page, body);
    page = removeHtml(page);
    return removeBlank(page);
}

KeywordDensity measureDensity(const QString& pageText, const QString& keyword) {
    KeywordDensity d;
    d.pageText = pageText;
    d.pageLength = getByteLength(pageText);
    d.keywordLength = getByteLength(keyword);
    d.frequency = getFrequency(keyword, pageText);
    d.keywordTotalLength = d.frequency * d.keywordLength;
    d.density = formatDensity(d.keywordTotalLength, d.pageLength);
    d.captions = {
        QStringLiteral("页面代码总长度： %1").arg(d.pageLength),
        QStringLiteral("关键字符串长度： %1").arg(d.keywordLength),
        QStringLiteral("关键字出现频率： %1").arg(d.frequency),
        QStringLiteral("关键字符总长度： %1").arg(d.keywordTotalLength),
        QStringLiteral("密度结果计算： ") + d.density,
    };
    return d;
}

KeywordDensity runKeywordDensity(Fetcher& fetcher, const QString& address, const QString& keyword) {
    // An address without "http://" gets it in front; one that already names https keeps its
    // scheme rather than becoming "http://https://…", which no server answers.
    const bool hasScheme = address.contains(QStringLiteral("http://")) ||
                           address.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
    const QString url = hasScheme ? address : QStringLiteral("http://") + address;
    return measureDensity(spiderText(fetcher.get(url)), keyword);
}
