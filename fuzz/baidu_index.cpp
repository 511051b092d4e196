// The four attention figures cut from any index page: always four pieces, "-,-,-,-" without
// the figures table; a table that lacks a piece raises ToolError.
#include "research/baidu_index.h"
#include "base/tool_error.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString page =
        fuzz::text(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    try {
        const QString figures = cutBaiduIndex(page, QStringLiteral("u"));
        if (!page.contains(QStringLiteral("时间范围")) && figures != u"-,-,-,-")
            fuzz::mismatch("a page without the figures table", figures, QStringLiteral("-,-,-,-"));
        if (figures.count(u',') < 3)
            fuzz::mismatch("fewer than four figures", figures, QString());
    } catch (const ToolError&) {
    }
    return 0;
}
