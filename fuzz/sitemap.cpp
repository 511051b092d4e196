// Any bytes as a sitemap: XML, text, gzip. A file either lists addresses or says why not.
#include "audit/sitemap.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const SitemapFile file =
        parseSitemap(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!file.error.isEmpty() && !(file.pages.isEmpty() && file.sitemaps.isEmpty()))
        fuzz::mismatch("a sitemap with an error listed addresses", file.error, QString());
    return 0;
}
