// The four badge cutters on any page.
#include "fuzz_support.h"
#include "metrics/rank_badges.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString page =
        fuzz::text(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    // The shipped rows' markers, from the data folder the build puts beside the fuzzer.
    static const BadgeMarkers kPageRank = badgeMarkers(QStringLiteral("pagerank"));
    static const BadgeMarkers kAlexa = badgeMarkers(QStringLiteral("alexa"));
    static const BadgeMarkers kSogou = badgeMarkers(QStringLiteral("sogou"));
    static const BadgeMarkers kChina = badgeMarkers(QStringLiteral("chinarank"));
    isPageRank(cutPageRank(page, kPageRank));
    cutAlexa(page, kAlexa);
    if (cutSogouRank(page, kSogou).size() > 4)
        fuzz::mismatch("Sogou Rank is cut from four characters", cutSogouRank(page, kSogou),
                       QString());
    const QString china = cutChinaRank(page, kChina);
    if (china.contains(u'<') || china.contains(u'>'))
        fuzz::mismatch("ChinaRank kept a tag's bracket", china, QString());
    return 0;
}
