#pragma once

#include <QList>
#include <QString>

struct TrackRow;

struct PageResult {
    QString title;   // as plain text, spaces collapsed
    QString address; // the real address; empty when the result's link held none
};

// What one result page shows, read by the row's expressions.
struct ResultPage {
    QList<PageResult> organic; // in page order, ads left out
    int ads = 0;               // ad items seen
    QString blockSign;         // the block expression or text that matched; empty: none did
    bool noResults = false;    // the row's no-results text is on the page
    QString problem;           // an expression libxml2 refused, and why
    // The row's next-page form's inputs, as a form body ("q=…&s=10&vqd=…"); empty when the row
    // names none or the page has none (the last page).
    QByteArray nextForm;
};

// Reads an HTML page (recovering from broken markup, never reaching the network) with the
// row's XPath 1.0 expressions. Block texts are looked for only on a page without organic
// results: a result's snippet may quote one.
ResultPage readResultPage(const QString& html, const TrackRow& row);
