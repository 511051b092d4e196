#include "app/form_fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QStringList>
#include <QWidget>

void substituteFormFonts() {
    QFont::insertSubstitutions(QStringLiteral("宋体"),
                               {QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                                QStringLiteral("WenQuanYi Micro Hei")});
    QFont::insertSubstitutions(QStringLiteral("楷体_GB2312"),
                               {QStringLiteral("KaiTi"), QStringLiteral("AR PL UKai CN"),
                                QStringLiteral("Noto Serif CJK SC"),
                                QStringLiteral("WenQuanYi Micro Hei")});
}

QString installedFamily(const QString& family) {
    static QHash<QString, QString> known;
    const auto found = known.constFind(family);
    if (found != known.cend())
        return *found;
    const QStringList installed = QFontDatabase::families();
    QString chosen = family;
    for (const QString& candidate : QStringList{family} + QFont::substitutes(family))
        if (installed.contains(candidate, Qt::CaseInsensitive)) {
            chosen = candidate;
            break;
        }
    known.insert(family, chosen);
    return chosen;
}

void useInstalledFamily(QWidget* widget) {
    if (!widget->testAttribute(Qt::WA_SetFont))
        return;
    QFont font = widget->font();
    const QStringList families = font.families();
    if (families.isEmpty())
        return;
    const QString installed = installedFamily(families.first());
    if (installed == families.first())
        return;
    font.setFamilies(QStringList{installed} + families.mid(1));
    widget->setFont(font);
}
