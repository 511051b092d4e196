// The marker cut of the surveys: fields are the start marker, the end marker, the strip list
// and the page. A page without the start marker gives "0"; a wrong page raises ToolError.
#include "base/tool_error.h"
#include "fuzz_support.h"
#include "net/count_link.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> f = fuzz::fields(data, size, 4);
    const QString start = fuzz::text(f[0]);
    const QString page = fuzz::text(f[3]);
    try {
        const QString value =
            cutCount(page, QStringLiteral("u"), start, fuzz::text(f[1]), fuzz::text(f[2]));
        if (!page.contains(start) && value != u"0")
            fuzz::mismatch("a page without the start marker", value, QStringLiteral("0"));
    } catch (const ToolError&) {
    }
    return 0;
}
