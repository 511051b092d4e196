#include "cli/terminal_text.h"

#include <cstdio>
#include <unistd.h>

namespace {

QString hex(char16_t u, int digits) {
    return QString::number(uint(u), 16).toUpper().rightJustified(digits, u'0');
}

} // namespace

QString escapeControls(QStringView text, LineBreaks breaks) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        // A CR alone returns to the start of the line and lets what follows overwrite it; only
        // the CR of a CR LF line end is a line break.
        const bool layout =
            u == u'\n' || u == u'\t' || (u == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n');
        const bool bidi = (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
        if (breaks == LineBreaks::Kept && layout)
            out += c;
        else if (u == u'\t')
            out += QStringLiteral("\\t");
        else if (u == u'\n')
            out += QStringLiteral("\\n");
        else if (u == u'\r')
            out += QStringLiteral("\\r");
        else if (u <= 0xFF && c.category() == QChar::Other_Control)
            out += QStringLiteral("\\x") + hex(u, 2);
        else if (bidi || u == 0x2028 || u == 0x2029)
            out += QStringLiteral("\\u") + hex(u, 4);
        else
            out += c;
    }
    return out;
}

void writeDocument(const QByteArray& bytes) {
    // Asked once: a history export writes a row at a time.
    static const bool terminal = ::isatty(STDOUT_FILENO);
    const QByteArray shown =
        terminal ? escapeControls(QString::fromUtf8(bytes), LineBreaks::Kept).toUtf8() : bytes;
    std::fwrite(shown.constData(), 1, size_t(shown.size()), stdout);
}
