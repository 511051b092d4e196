#pragma once

#include "track/result_address.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

struct EngineEntry;

// One engine's row of rank-track.ini as a check uses it. Keys that hold several values separate
// them by " || " (XPath 1.0 has no such operator, so no expression is cut by it); expressions
// are tried in the order written, the first that selects something wins.
struct TrackRow {
    QString engine;
    QString file;
    int line = 0;
    QString request;    // the page's address, holes as requestAddress fills them
    QString form;       // a form POSTed instead of a GET, same holes
    QString cookieFrom; // an address asked first, whose first cookie every request sends back
    // The form on a page that asks for the next (DuckDuckGo's, whose inputs carry a token of
    // the page): when given, a later page is asked by posting that form's inputs.
    QStringList nextForm;
    int pages = 10;   // pages read at most
    int perPage = 10; // results a page shows
    QList<std::pair<QByteArray, QByteArray>> headers;
    AddressRule address; // how a link becomes the result's real address
    QStringList items;
    QStringList title;
    QStringList link;
    QStringList ads;
    QStringList noResults;
    QStringList blockTexts;
    QStringList blockRedirects;
    QStringList blockXPath;
    QList<long> blockStatuses;

    // "FILE 第 N 行的 [engine] 节": where a user edits the row.
    QString where() const;
};

TrackRow trackRow(const EngineEntry& entry);
