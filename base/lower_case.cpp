#include "base/lower_case.h"

#include "base/utf16_lanes.h"

#include <algorithm>
#include <array>
#include <memory>

namespace {

// 0 for the units that QString::toLower does not map to one unit on their own: surrogates (a
// pair is one character) and those with a longer lower case, such as U+0130.
using LowerTable = std::array<char16_t, 1 << 16>;

std::unique_ptr<LowerTable> build() {
    auto table = std::make_unique<LowerTable>();
    // QString::toLower a block at a time: a block that keeps its length maps unit to unit.
    constexpr int block = 256;
    for (int first = 0; first < (1 << 16); first += block) {
        QString units(block, Qt::Uninitialized);
        for (int k = 0; k < block; ++k)
            units[k] = QChar(char16_t(first + k));
        const QString lower = units.toLower();
        for (int k = 0; k < block; ++k) {
            const char16_t u = char16_t(first + k);
            if (QChar::isSurrogate(u))
                (*table)[u] = 0;
            else if (lower.size() == block)
                (*table)[u] = lower[k].unicode();
            else if (const QString one = QString(QChar(u)).toLower(); one.size() == 1)
                (*table)[u] = one[0].unicode();
            else
                (*table)[u] = 0;
        }
    }
    return table;
}

const LowerTable& lowerTable() {
    static const std::unique_ptr<LowerTable> table = build();
    return *table;
}

} // namespace

void lowerInPlace(QString& text) {
    const qsizetype n = text.size();
    char16_t* const s = reinterpret_cast<char16_t*>(text.data());
    const LowerTable* table = nullptr;
    bool changed = false;
    for (qsizetype i = 0; i < n;) {
        // A page is mostly ASCII and CJK punctuation, kana and ideographs (U+3000 to U+9FFF),
        // which have no lower case: eight at a time.
        if (i + lanes::kWidth <= n) {
            const lanes::Block b = lanes::load(s + i);
            const lanes::Block capital = b - lanes::splat(u'A') < lanes::splat(26);
            const lanes::Block cjk = b - lanes::splat(u'\u3000') < lanes::splat(0x7000);
            if (!lanes::any(~((b < lanes::splat(0x80)) | cjk))) {
                changed = changed || lanes::any(capital);
                lanes::store(s + i, b + (capital & lanes::splat(32)));
                i += lanes::kWidth;
                continue;
            }
        }
        const qsizetype blockEnd = std::min(i + lanes::kWidth, n);
        for (; i < blockEnd; ++i) {
            const char16_t u = s[i];
            char16_t lower;
            if (u < 0x80) {
                lower = char16_t(u + (char16_t(u - u'A') < 26 ? 32 : 0));
            } else {
                if (!table)
                    table = &lowerTable();
                lower = (*table)[u];
            }
            if (!lower) {
                // QString::toLower maps each character on its own, but keeps a lone surrogate only
                // up to the first character it changes and makes it U+FFFD after that (a lone high
                // surrogate at the very end only after a longer lower case). An "A" in front of
                // the rest puts it in the state the text before it left.
                const QString rest =
                    changed ? (QChar(u'A') + text.mid(i)).toLower().mid(1) : text.mid(i).toLower();
                text = text.left(i) + rest;
                return;
            }
            changed = changed || lower != u;
            s[i] = lower;
        }
    }
}
