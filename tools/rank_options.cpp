#include "tools/rank_options.h"

#include <QJsonArray>

QJsonObject rankOptions(const RankChoice& choice) {
    return {{QStringLiteral("pages"), choice.pages},
            {QStringLiteral("engines"), QJsonArray::fromStringList(askedBoxNames(choice))}};
}

RankChoice rankChoiceOf(const QJsonObject& options) {
    RankChoice choice;
    const int pages = options.value(QStringLiteral("pages")).toInt();
    if (pages >= 1 && pages <= kMaxRankPages)
        choice.pages = pages;
    const QJsonValue engines = options.value(QStringLiteral("engines"));
    if (engines.isArray()) {
        const QJsonArray names = engines.toArray();
        for (const RankBoxName& b : kRankBoxes)
            choice.asked[size_t(b.box)] = names.contains(QLatin1String(b.name));
    }
    return choice;
}
