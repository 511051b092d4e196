#include "cli/command_status.h"

#include "base/tool_error.h"
#include "cli/command.h"
#include "cli/interrupt.h"

#include <cstdio>
#include <exception>

namespace {

QString hex(char16_t u, int digits) {
    return QString::number(uint(u), 16).toUpper().rightJustified(digits, u'0');
}

// Errors quote addresses, lines of files and typed words as they came. A control character
// among them could move the cursor, recolour or clear the terminal, or start a line that looks
// like a message of its own, so each is shown as an escape.
QString escapeControls(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool bidi = (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
        if (u == u'\t')
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

} // namespace

void printError(const QString& text) {
    const QByteArray bytes = escapeControls(text).toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

int usageStatus(const QString& why) {
    printError(QStringLiteral("tessivo-cli：") + why + QStringLiteral("（见 tessivo-cli --help）"));
    return 2;
}

int commandStatus(const std::function<void()>& run) {
    try {
        run();
    } catch (const ToolStopped&) {
        return kInterruptedStatus;
    } catch (const UsageError& e) {
        return usageStatus(e.message);
    } catch (const ToolError& e) {
        printError(kErrorPrefix + e.description());
        return 1;
    } catch (const std::exception& e) {
        printError(kErrorPrefix + QString::fromUtf8(e.what()));
        return 1;
    }
    return 0;
}
