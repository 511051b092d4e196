// The four attention figures cut from any index page: "-" in each without the figures table; a
// table that lacks a piece raises ToolError.
#include "research/baidu_index.h"
#include "base/tool_error.h"
#include "fuzz_support.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString page =
        fuzz::text(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    try {
        const AttentionFigures f = cutBaiduIndex(page, QStringLiteral("u"));
        const QString none = QStringLiteral("-");
        if (!page.contains(QStringLiteral("时间范围")) &&
            f != AttentionFigures{none, none, none, none})
            fuzz::mismatch("a page without the figures table",
                           QStringList{f.today, f.week, f.month, f.quarter}.join(u'|'),
                           QStringLiteral("-|-|-|-"));
    } catch (const ToolError&) {
    }
    return 0;
}
