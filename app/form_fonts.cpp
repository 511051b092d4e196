#include "app/form_fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QStringList>
#include <QWidget>
#include <algorithm>

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
    // Keyed by the substitutes too, which may change after a family was first looked up.
    static QHash<QStringList, QString> known;
    const QStringList candidates = QStringList{family} + QFont::substitutes(family);
    const auto found = known.constFind(candidates);
    if (found != known.cend())
        return *found;
    const QStringList installed = QFontDatabase::families();
    QString chosen = family;
    for (const QString& candidate : candidates) {
        const auto same = [&](const QString& f) {
            return !f.compare(candidate, Qt::CaseInsensitive);
        };
        const auto match = std::find_if(installed.begin(), installed.end(), same);
        if (match != installed.end()) {
            chosen = *match; // substitutes come back in lower case
            break;
        }
    }
    known.insert(candidates, chosen);
    return chosen;
}

void useInstalledFamily(QWidget* widget) {
    if (!widget->testAttribute(Qt::WA_SetFont))
        return;
    const QFont current = widget->font();
    const QStringList families = current.families();
    if (families.isEmpty())
        return;
    const QString installed = installedFamily(families.first());
    if (installed == families.first())
        return;
    // What the form gives a font: its family, its size and whether it is bold. The size is the
    // one the control has now, whether its own or its parent's.
    QFont font;
    font.setFamilies(QStringList{installed} + families.mid(1));
    font.setPointSizeF(current.pointSizeF());
    if (current.resolveMask() & QFont::WeightResolved)
        font.setWeight(current.weight());
    widget->setFont(font);
}
