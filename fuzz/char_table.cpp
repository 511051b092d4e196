// The two character table files of any content, read through the data-file reader; fields
// are fanti.txt, jianti.txt and a text to convert both ways. Converting never lengthens the
// text, which is trimmed of spaces first.
#include "base/text_ops.h"
#include "fuzz_support.h"
#include "script/script_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> f = fuzz::fields(data, size, 3);
    fuzz::writeConfig("fanti.txt", f[0]);
    fuzz::writeConfig("jianti.txt", f[1]);
    const QString text = fuzz::text(f[2]);
    for (const auto direction :
         {ScriptDirection::SimplifiedToTraditional, ScriptDirection::TraditionalToSimplified}) {
        const ScriptConversion c = convertScript(direction, text);
        if (c.result.size() > text::trimSpaces(text).size())
            fuzz::mismatch("conversion lengthened the text", c.result, text);
    }
    return 0;
}
