// The converter against the plain lookup it stands for: each unit's first position in the
// source table picks the target table's unit there (nothing when the target is too short);
// a unit not in the table stays. Fields are the source table, the target table and the text.
#include "fuzz_support.h"
#include "script/script_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> f = fuzz::fields(data, size, 3);
    const QString from = fuzz::text(f[0]);
    const QString to = fuzz::text(f[1]);
    const QString text = fuzz::text(f[2]);
    QString expected;
    for (const QChar c : text) {
        const qsizetype at = from.indexOf(c);
        if (at < 0)
            expected += c;
        else if (at < to.size())
            expected += to[at];
    }
    const QString got = ScriptConverter(from, to).convert(text);
    if (got != expected)
        fuzz::mismatch("the converter differs from the plain lookup", got, expected);
    return 0;
}
