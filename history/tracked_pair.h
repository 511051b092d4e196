#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// A keyword the rank tracker follows for a site, on some engines, to some depth.
struct TrackedPair {
    qint64 id = 0; // given by the store
    QString site;
    QString keyword;
    QStringList engines; // empty: every engine of the day
    int depth = 50;      // organic results read at most
    QDateTime added;     // UTC
};
