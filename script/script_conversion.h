#pragma once

#include <QString>

enum class ScriptDirection { SimplifiedToTraditional, TraditionalToSimplified };

// Converts text character by character through the two aligned tables config/jianti.txt and
// config/fanti.txt, both read anew (traditional first) on every call. The text is trimmed of
// spaces first; an empty result gives nothing (and the caller leaves its output alone). Raises
// ToolError when a table cannot be read, whatever the text.
struct ScriptConversion {
    bool converted = false;
    QString result;
};
ScriptConversion convertScript(ScriptDirection direction, const QString& text);

// The conversion itself: each character found in from (first position) becomes the character
// at that position of to; one beyond the end of to is dropped; one not found stays.
QString convertWithTables(const QString& text, const QString& from, const QString& to);
