#include "base/tool_error.h"

ToolError::ToolError(const QString& description)
    : std::runtime_error(description.toUtf8().toStdString()), description_(description) {}

QString echoed(const QString& value) {
    if (value.size() <= kEchoedMaxChars)
        return value;
    qsizetype keep = kEchoedMaxChars;
    if (value[keep - 1].isHighSurrogate())
        --keep; // never half a character
    return value.left(keep) + QStringLiteral("…");
}
