#include "research/keyword_density.h"

#include "base/html_text.h"
#include "base/lower_case.h"
#include "base/utf16_lanes.h"
#include "research/text_measures.h"

#include <algorithm>

namespace {

// Whether the lower-cased text would contain "utf-8". No character but an ASCII one has a lower
// case holding any of its units, so that is "utf-8" in any case, found without lowering a copy.
bool mentionsUtf8(QStringView text) {
    auto is = [&](qsizetype at, char16_t lower) { return (text[at].unicode() | 0x20) == lower; };
    for (qsizetype at = text.indexOf(u'-', 3); at >= 0 && at + 1 < text.size();
         at = text.indexOf(u'-', at + 1))
        if (text[at + 1] == u'8' && is(at - 3, u'u') && is(at - 2, u't') && is(at - 1, u'f'))
            return true;
    return false;
}

} // namespace

QString spiderText(const HttpResponse& response) {
    QString page = decodeResponse(response, Decode::Gbk);
    if (mentionsUtf8(page))
        page = decodeResponse(response, Decode::Declared);
    lowerInPlace(page);
    const qsizetype body = lanes::find(QStringView(page).utf16(), page.size(), 0, u"<body", 0);
    pageTextInPlace(page, std::max<qsizetype>(body, 0));
    return page;
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
