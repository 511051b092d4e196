#include "base/gbk_tables.h"

#include <memory>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

namespace {

// GBK has no code for them, so they become "?" like every other such character. ICU's own
// substitution skips the default-ignorable ones (zero-width space, soft hyphen, byte-order
// mark, variation selectors), which would make them count nothing and vanish from addresses.
void substituteEveryUnencodable(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                                UChar32, UConverterCallbackReason reason, UErrorCode* err) {
    if (reason > UCNV_IRREGULAR)
        return; // reset, close and clone calls
    *err = U_ZERO_ERROR;
    ucnv_cbFromUWriteSub(args, 0, err);
}

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// The units ICU makes of bytes decoded on their own, input flushed.
int decodeAlone(UConverter* c, const char* bytes, int size, UChar* out, int room) {
    ucnv_resetToUnicode(c);
    UErrorCode err = U_ZERO_ERROR;
    UChar* target = out;
    ucnv_toUnicode(c, &target, out + room, &bytes, bytes + size, nullptr, true, &err);
    return U_SUCCESS(err) ? int(target - out) : 0;
}

std::unique_ptr<GbkTables> build() {
    auto t = std::make_unique<GbkTables>();
    UErrorCode err = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, ConverterCloser> c(ucnv_open("GBK", &err));
    ucnv_setSubstChars(c.get(), "?", 1, &err);
    ucnv_setFromUCallBack(c.get(), substituteEveryUnencodable, nullptr, nullptr, nullptr, &err);

    UChar units[8];
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        t->single[b] = decodeAlone(c.get(), &byte, 1, units, 8) == 1 ? units[0] : u'\uFFFD';
    }
    // A pair is one character when ICU gives one unit for it; otherwise it gives the lead's
    // unit and then reads the second byte again.
    for (int lead = 0; lead < 256; ++lead)
        for (int second = 0; second < 256; ++second) {
            const char bytes[2] = {char(lead), char(second)};
            const bool one = decodeAlone(c.get(), bytes, 2, units, 8) == 1;
            t->pair[lead << 8 | second] = one ? units[0] : u'\0';
            if (one) {
                t->lead[lead] = 1;
                t->trail[second] = 1;
            }
        }

    for (int u = 0; u < (1 << 16); ++u) {
        t->code[u] = '?';
        if (u >= 0xD800 && u < 0xE000)
            continue;
        const UChar unit = UChar(u);
        const UChar* source = &unit;
        char bytes[8];
        char* target = bytes;
        ucnv_resetFromUnicode(c.get());
        err = U_ZERO_ERROR;
        ucnv_fromUnicode(c.get(), &target, bytes + 8, &source, source + 1, nullptr, true, &err);
        const auto* b = reinterpret_cast<const unsigned char*>(bytes);
        if (U_SUCCESS(err) && target - bytes == 1)
            t->code[u] = b[0];
        else if (U_SUCCESS(err) && target - bytes == 2)
            t->code[u] = std::uint16_t(b[0] << 8 | b[1]);
    }
    return t;
}

} // namespace

const GbkTables& gbkTables() {
    static const std::unique_ptr<GbkTables> tables = build();
    return *tables;
}
