#include "netinfo/country_names.h"

#include "base/data_file.h"
#include "base/program_folder.h"

#include <QStringList>

CountryNames CountryNames::forProgram() {
    return fromFile(program_folder::file(QStringLiteral("/config/country_names.tsv")));
}

CountryNames CountryNames::fromFile(const QString& path) {
    CountryNames table;
    for (const QString& line : QString::fromUtf8(readDataFile(path)).split(u'\n')) {
        if (line.startsWith(u'#'))
            continue;
        const QStringList fields = line.trimmed().split(u'\t');
        if (fields.size() == 2 && !fields[0].isEmpty() && !fields[1].isEmpty())
            table.names_.insert(fields[0].toUpper(), fields[1]);
    }
    return table;
}

QString CountryNames::name(const QString& code) const {
    return names_.value(code.toUpper(), code);
}
