// Writes the GBK tables (base/gbk_tables.h) as a C++ file of constants, filled from ICU's
// converter one character or byte pair at a time, so every mapping, substitution and
// resynchronisation stays exactly ICU's. Run by the build; the programs never open the converter
// for GBK, which used to cost each process tens of milliseconds before its first GBK step.
//
// Usage: make_gbk_tables OUTPUT.cpp
#include "base/gbk_tables.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <unicode/uclean.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/uversion.h>

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

void fill(UConverter* c, GbkTables& t) {
    UChar units[8];
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        t.single[b] = decodeAlone(c, &byte, 1, units, 8) == 1 ? units[0] : u'\uFFFD';
    }
    // A pair is one character when ICU gives one unit for it; otherwise it gives the lead's
    // unit and then reads the second byte again.
    for (int lead = 0; lead < 256; ++lead)
        for (int second = 0; second < 256; ++second) {
            const char bytes[2] = {char(lead), char(second)};
            const bool one = decodeAlone(c, bytes, 2, units, 8) == 1;
            t.pair[lead << 8 | second] = one ? units[0] : u'\0';
            if (one) {
                t.lead[lead] = 1;
                t.trail[second] = 1;
            }
        }

    for (int u = 0; u < (1 << 16); ++u) {
        t.code[u] = '?';
        if (u >= 0xD800 && u < 0xE000)
            continue;
        const UChar unit = UChar(u);
        const UChar* source = &unit;
        char bytes[8];
        char* target = bytes;
        ucnv_resetFromUnicode(c);
        UErrorCode err = U_ZERO_ERROR;
        ucnv_fromUnicode(c, &target, bytes + 8, &source, source + 1, nullptr, true, &err);
        const auto* b = reinterpret_cast<const unsigned char*>(bytes);
        if (U_SUCCESS(err) && target - bytes == 1)
            t.code[u] = b[0];
        else if (U_SUCCESS(err) && target - bytes == 2)
            t.code[u] = std::uint16_t(b[0] << 8 | b[1]);
    }
}

// One member's initializer: the values in hexadecimal, sixteen to a line.
template <typename T>
void writeArray(std::ostream& out, const char* name, std::span<const T> values) {
    out << "    // " << name << "\n    {";
    char number[16];
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::snprintf(number, sizeof number, "0x%X,", unsigned(values[i]));
        out << (i % 16 == 0 ? "\n        " : " ") << number;
    }
    out << "\n    },\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_gbk_tables OUTPUT.cpp\n");
        return 2;
    }
    UErrorCode err = U_ZERO_ERROR;
    auto tables = std::make_unique<GbkTables>();
    {
        const std::unique_ptr<UConverter, ConverterCloser> c(ucnv_open("GBK", &err));
        ucnv_setSubstChars(c.get(), "?", 1, &err);
        ucnv_setFromUCallBack(c.get(), substituteEveryUnencodable, nullptr, nullptr, nullptr, &err);
        if (U_FAILURE(err)) {
            std::fprintf(stderr, "make_gbk_tables: ICU has no GBK converter: %s\n",
                         u_errorName(err));
            return 1;
        }
        fill(c.get(), *tables);
    }
    u_cleanup();

    // Written beside the output and renamed over it, so a failed run leaves no half a file that
    // the build would take for done.
    const std::string path = argv[1];
    const std::string partial = path + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << "// Made by make_gbk_tables from ICU " U_ICU_VERSION " at build time.\n"
               "#include \"base/gbk_tables.h\"\n\n"
               "const GbkTables kGbkTables = {\n";
        writeArray<char16_t>(out, "single", tables->single);
        writeArray<char16_t>(out, "pair", tables->pair);
        writeArray<std::uint8_t>(out, "lead", tables->lead);
        writeArray<std::uint8_t>(out, "trail", tables->trail);
        writeArray<std::uint16_t>(out, "code", tables->code);
        out << "};\n";
        if (!out.flush()) {
            std::fprintf(stderr, "make_gbk_tables: cannot write %s\n", partial.c_str());
            return 1;
        }
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        std::perror(("make_gbk_tables: cannot rename " + partial + " to " + path).c_str());
        return 1;
    }
    return 0;
}
