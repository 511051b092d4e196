// The four badge cutters on any page.
#include "fuzz_support.h"
#include "metrics/rank_badges.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString page =
        fuzz::text(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    isPageRank(cutPageRank(page));
    cutAlexa(page);
    if (cutSogouRank(page).size() > 4)
        fuzz::mismatch("Sogou Rank is cut from four characters", cutSogouRank(page), QString());
    const QString china = cutChinaRank(page);
    if (china.contains(u'<') || china.contains(u'>'))
        fuzz::mismatch("ChinaRank kept a tag's bracket", china, QString());
    return 0;
}
