// One engine's rank scanner (TESSIVO_FUZZ_BOX) on any result page, every page of the search
// being the same; fields are the site, the keyword and the page. The answer is always one of
// the texts a result box can show.
#include "fuzz_support.h"
#include "net/http_fetch.h"
#include "rank/keyword_rank.h"

#include <QRegularExpression>

namespace {

class SamePage : public Fetcher {
public:
    QByteArray page;
    HttpResponse get(const QString&) override { return {page, "text/html; charset=utf-8"}; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> f = fuzz::fields(data, size, 3);
    const QString site = fuzz::text(f[0]);
    const QString keyword = fuzz::text(f[1]);
    if (site.isEmpty() || keyword.isEmpty())
        return 0;
    SamePage fetcher;
    fetcher.page = f[2];
    static const EndpointTable endpoints;
    const QString answer =
        rankOn(RankBox::TESSIVO_FUZZ_BOX, fetcher, endpoints, site, keyword).text;
    static const QRegularExpression shown(
        QStringLiteral("^(排名为第-?\\d+位(（有\\d+ 个参与竞价推广）)?|在100位（1--10页）中未查询到"
                       "结果(!!)?|--|-|)$"));
    if (!shown.match(answer).hasMatch())
        fuzz::mismatch("not a result box's text", answer, QString());
    return 0;
}
