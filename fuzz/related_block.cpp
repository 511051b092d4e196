// The related-search block of any result page: one piece per "</a>" in it, each giving a
// keyword no longer than itself; a wrong block raises ToolError.
#include "base/tool_error.h"
#include "fuzz_support.h"
#include "research/related_search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString page =
        fuzz::text(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    try {
        for (const QString& piece : relatedSearchPieces(page, QStringLiteral("u")))
            if (relatedKeyword(piece, QStringLiteral("u")).size() > piece.size())
                fuzz::mismatch("a keyword longer than its piece", piece, QString());
    } catch (const ToolError&) {
    }
    return 0;
}
