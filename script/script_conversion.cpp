#include "script/script_conversion.h"

#include "net/program_folder.h"
#include "net/text_file.h"
#include "net/text_ops.h"

#include <QHash>

namespace {

// A table is the last line of its file.
QString readTable(const char* file) {
    const QStringList lines = readAnsiLines(program_folder::file(QString::fromLatin1(file)));
    return lines.isEmpty() ? QString() : lines.back();
}

} // namespace

QString convertWithTables(const QString& text, const QString& from, const QString& to) {
    // First positions, so a lookup costs the same whatever the table's length.
    QHash<char16_t, qsizetype> position;
    position.reserve(from.size());
    for (qsizetype i = from.size() - 1; i >= 0; --i)
        position.insert(from[i].unicode(), i);
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const auto it = position.constFind(c.unicode());
        if (it == position.cend())
            out.append(c);
        else if (*it < to.size())
            out.append(to[*it]);
    }
    return out;
}

ScriptConversion convertScript(ScriptDirection direction, const QString& text) {
    const QString traditional = readTable("/config/fanti.txt");
    const QString simplified = readTable("/config/jianti.txt");
    const QString input = text::trimSpaces(text);
    if (input.isEmpty())
        return {};
    return {true, direction == ScriptDirection::SimplifiedToTraditional
                      ? convertWithTables(input, simplified, traditional)
                      : convertWithTables(input, traditional, simplified)};
}
