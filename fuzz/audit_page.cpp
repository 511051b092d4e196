// A page body with any Content-Type decoded and read as the audit reads it; fields are the
// Content-Type and the body. Every link it finds is absolute, without a fragment.
#include "audit/page_decode.h"
#include "audit/page_scan.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> f = fuzz::fields(data, size, 2);
    const DecodedPage page = decodeAuditPage(f[1], f[0]);
    static const QUrl kPage(QStringLiteral("https://example.cn/dir/page.html"));
    const PageScan scan = scanPage(page.text, kPage);
    for (const PageLink& link : scan.links)
        if (link.url.isRelative() || link.url.hasFragment())
            fuzz::mismatch("a link kept relative or with its fragment", link.url.toString(),
                           QString());
    return 0;
}
