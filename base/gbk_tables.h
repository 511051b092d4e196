#pragma once

#include <cstdint>

// GBK both ways as lookups. ICU's converter does the same work through a state machine, a call
// and a callback per piece, several times slower than a table; the tables are filled from that
// converter, one character or byte pair at a time, so every mapping, substitution and
// resynchronisation stays exactly ICU's.
struct GbkTables {
    // What a byte decodes to when it does not begin a pair with the byte after it (a lead byte
    // with nothing usable after it becomes U+FFFD).
    char16_t single[256];
    // The character of a lead byte (high 8 bits) and the byte after it; 0 when the two are not
    // one character, so the lead decodes alone and the next byte is read afresh.
    char16_t pair[1 << 16];
    // GBK's pairs fill a rectangle: every byte that begins one with some byte begins one with
    // every byte that ends one. Deciding by these two small tables keeps the 128 KiB pair table
    // off the path from one character to the next.
    std::uint8_t lead[256];
    std::uint8_t trail[256];
    // The GBK code of each UTF-16 unit: below 0x100 one byte, otherwise two (high byte first).
    // Units GBK cannot hold, surrogates included, have '?'.
    std::uint16_t code[1 << 16];
};

// Constants made when the program is built (make_gbk_tables.cpp): filling them from ICU took each
// process about 25 ms before its first GBK step.
extern const GbkTables kGbkTables;
