#pragma once

#include "rank/keyword_rank.h"

#include <QJsonObject>

// A keyword rank search's choice as the history records it: {"pages": 10, "engines": ["Baidu",
// …]}, the boxes asked by their names in box order.
QJsonObject rankOptions(const RankChoice& choice);

// The choice options name. Missing or unknown parts are as shipped (every box, ten pages).
RankChoice rankChoiceOf(const QJsonObject& options);
