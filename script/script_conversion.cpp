#include "script/script_conversion.h"

#include "base/program_folder.h"
#include "base/text_file.h"
#include "base/text_ops.h"

namespace {

// A table is the last line of its file.
QString readTable(const char* file) {
    const QStringList lines = readAnsiLines(program_folder::file(QString::fromLatin1(file)));
    return lines.isEmpty() ? QString() : lines.back();
}

} // namespace

ScriptConverter::ScriptConverter(const QString& from, const QString& to)
    : position_(0x10000, -1), to_(to) {
    for (qsizetype i = from.size() - 1; i >= 0; --i)
        position_[from[i].unicode()] = i;
}

ScriptConverter ScriptConverter::fromTables(ScriptDirection direction) {
    const QString traditional = readTable("/config/fanti.txt");
    const QString simplified = readTable("/config/jianti.txt");
    return direction == ScriptDirection::SimplifiedToTraditional
               ? ScriptConverter(simplified, traditional)
               : ScriptConverter(traditional, simplified);
}

void ScriptConverter::convert(QStringView text, QString& out) const {
    const qsizetype start = out.size();
    out.resize(start + text.size());
    QChar* o = out.data() + start;
    for (const QChar c : text) {
        const qsizetype at = position_[c.unicode()];
        if (at < 0)
            *o++ = c;
        else if (at < to_.size())
            *o++ = to_[at];
    }
    out.truncate(o - out.constData());
}

QString ScriptConverter::convert(QStringView text) const {
    QString out;
    convert(text, out);
    return out;
}

ScriptConversion convertScript(ScriptDirection direction, const QString& text) {
    const ScriptConverter converter = ScriptConverter::fromTables(direction);
    const QString input = text::trimSpaces(text);
    if (input.isEmpty())
        return {};
    return {true, converter.convert(input)};
}
