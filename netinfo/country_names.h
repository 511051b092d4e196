#pragma once

#include <QHash>
#include <QString>

// Countries by their ISO 3166-1 alpha-2 code, named in Chinese, from config/country_names.tsv
// in the data folder: "code<TAB>name" lines, "#" lines are remarks.
class CountryNames {
public:
    // Reads the table; raises ToolError naming the file when it cannot be read.
    static CountryNames forProgram();
    // Reads the table at path; ToolError likewise.
    static CountryNames fromFile(const QString& path);

    // The Chinese name of code (either case), or code itself when the table has none.
    QString name(const QString& code) const;
    qsizetype size() const { return names_.size(); }

private:
    QHash<QString, QString> names_;
};
