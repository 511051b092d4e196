#pragma once

#include <QString>
#include <QStringView>
#include <vector>

enum class ScriptDirection { SimplifiedToTraditional, TraditionalToSimplified };

// Character-by-character conversion through two aligned tables: each character found in the
// source table (first position) becomes the character at that position of the target table;
// one whose position lies beyond the target table's end is dropped; one not found stays.
class ScriptConverter {
public:
    ScriptConverter(const QString& from, const QString& to);

    // Reads config/fanti.txt, then config/jianti.txt, anew; raises ToolError when either
    // cannot be read.
    static ScriptConverter fromTables(ScriptDirection direction);

    // Appends the conversion of text to out; pieces may be converted one after another.
    void convert(QStringView text, QString& out) const;
    QString convert(QStringView text) const;

private:
    // The first position of every UTF-16 unit in the source table, -1 where it is absent, so a
    // lookup costs the same whatever the table's length.
    std::vector<qsizetype> position_;
    QString to_;
};

// What the window's buttons do: both tables read (and their errors raised) before the text is
// looked at; the text trimmed of spaces; nothing converted when that leaves it empty.
struct ScriptConversion {
    bool converted = false;
    QString result;
};
ScriptConversion convertScript(ScriptDirection direction, const QString& text);
