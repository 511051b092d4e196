#pragma once

#include "net/http_fetch.h"

#include <QString>

// What the keyword-density page shows after a run: the page text for its text box, each figure,
// and the five label captions ready to be set.
struct KeywordDensity {
    QString pageText;
    qsizetype pageLength = 0;         // GBK bytes of pageText
    qsizetype keywordLength = 0;      // GBK bytes of the keyword
    qsizetype frequency = 0;          // positions of pageText where the keyword begins
    qsizetype keywordTotalLength = 0; // frequency * keywordLength
    QString density;                  // as after its caption prefix: "69.23", "2", "0"

    struct Captions {
        QString lenTotal;        // lblLenTotal
        QString lenKeyword;      // lblLenKeyword
        QString frequency;       // lblFrequency
        QString lenKeyWordTotal; // lblLenKeyWordTotal
        QString frequencyResult; // lblFrequencyResult
    } captions;
};

// The page as a spider sees it: the body of response decoded as GBK or, when that text mentions
// "utf-8", as the client's text of the same response; lower-cased, cut at the first "<body",
// stripped of scripts, styles, tags and blanks.
QString spiderText(const HttpResponse& response);

// The figures and captions for keyword in pageText.
KeywordDensity measureDensity(const QString& pageText, const QString& keyword);

// One GET of address ("http://" put in front unless it holds "http://" anywhere or starts with
// "https://"), measured for
// keyword as typed (not lower-cased, so capitals are never found). address and keyword are
// already cleaned (cleanKeyword) and not empty. A failed fetch raises ToolError.
KeywordDensity runKeywordDensity(Fetcher& fetcher, const QString& address, const QString& keyword);
