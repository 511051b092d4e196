#include "base/display_width.h"

#include <QList>
#include <unicode/uchar.h>

int displayWidth(const QString& text) {
    int width = 0;
    for (const char32_t c : text.toUcs4()) {
        const auto category = u_charType(UChar32(c));
        if (category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK ||
            category == U_FORMAT_CHAR)
            continue;
        const auto eastAsian = u_getIntPropertyValue(UChar32(c), UCHAR_EAST_ASIAN_WIDTH);
        width += (eastAsian == U_EA_WIDE || eastAsian == U_EA_FULLWIDTH) ? 2 : 1;
    }
    return width;
}
