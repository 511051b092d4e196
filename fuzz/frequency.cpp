// The keyword-density measures against plain versions: the frequency against a count at every
// position, the byte length against the GBK length of each unit on its own. Fields are the
// keyword and the text.
#include "base/charset.h"
#include "fuzz_support.h"
#include "research/text_measures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> f = fuzz::fields(data, size, 2);
    const QString keyword = fuzz::text(f[0]);
    const QString text = fuzz::text(f[1]);
    if (!keyword.isEmpty() && keyword.size() <= 16 && text.size() <= 1024) {
        qsizetype expected = 0;
        for (qsizetype i = 0; i + keyword.size() <= text.size(); ++i)
            expected += QStringView(text).sliced(i, keyword.size()) == keyword;
        if (getFrequency(keyword, text) != expected)
            fuzz::mismatch("frequency", QString::number(getFrequency(keyword, text)),
                           QString::number(expected));
    }
    if (text.size() <= 1024) {
        qsizetype expected = 0;
        for (const QChar c : text)
            expected += charset::encodeGbk(QString(c)).size() == 2 ? 2 : 1;
        if (getByteLength(text) != expected)
            fuzz::mismatch("byte length", QString::number(getByteLength(text)),
                           QString::number(expected));
    }
    formatDensity(getFrequency(keyword, text) * getByteLength(keyword), getByteLength(text));
    return 0;
}
