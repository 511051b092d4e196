#pragma once

#include <QString>
#include <QStringList>

class EndpointTable;
class Fetcher;

// How one check of one keyword on one engine ended. Exactly one per check: a blocked or
// unrecognised page never gives a position or "not found".
enum class CheckOutcome {
    Found,    // the site is among the organic results read
    NotFound, // every organic result of the depth asked was read, and the site is not among them
    Blocked,  // a captcha, a verification page, a redirect to one, or an empty answer
    Unrecognised, // a page without the engine's markers: the engine changed its pages
    Failed,       // no answer: the network's or the server's failure
};

// "found", "not_found", "blocked", "unrecognised", "failed": the JSON's and the history's words.
QString checkOutcomeKey(CheckOutcome outcome);
// The same in the window's words: "第3位", "前50位中没有", "受阻（验证码）", "页面无法识别",
// "失败".
QString checkOutcomeText(CheckOutcome outcome, int position);

// What is asked: the site (a host, "www." ignored unless exactHost), the keyword, how many
// organic results at most to read.
struct RankQuery {
    QString site;
    QString keyword;
    int depth = 50;
    bool exactHost = false;
};

struct EngineCheck {
    QString
        engine; // the row's name: "baidu", "baidu-mobile", "bing", "sogou", "so360", "duckduckgo"
    CheckOutcome outcome = CheckOutcome::Failed;
    int position = 0;    // Found: 1-based among the organic results, ads not counted
    QString url;         // Found: the result's real address
    QString title;       // Found: the result's title as plain text
    QString detail;      // Blocked: the sign seen; Unrecognised: the rows file (and line) to edit;
                         // Failed: the failure's description; NotFound: how far was read
    int resultsRead = 0; // organic results read
    int adsSkipped = 0;  // ad items seen and not counted
};

// Today's engines in the order they are asked and shown, as the rows in force name them.
QStringList rankEngineNames();

// Checks query on one engine with the rows in force. Never raises for the engine's answer (every
// answer is an outcome); a stop goes through as ToolStopped.
EngineCheck checkRank(Fetcher& fetcher, const QString& engine, const RankQuery& query);
// The same with the engines' hosts taken from endpoints instead of the program's files.
EngineCheck checkRank(Fetcher& fetcher, const EndpointTable& endpoints, const QString& engine,
                      const RankQuery& query);
