// A page body decoded with any Content-Type, both ways the tools read pages; fields are the
// Content-Type and the body. GBK decoding never makes more units than bytes.
#include "base/charset.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> f = fuzz::fields(data, size, 2);
    const QString declared = charset::decodePage(f[1], f[0], Decode::Declared);
    const QString gbk = charset::decodePage(f[1], f[0], Decode::Gbk);
    if (gbk.size() > f[1].size())
        fuzz::mismatch("GBK gave more units than bytes", gbk, QString());
    charset::encodeGbk(declared);
    return 0;
}
