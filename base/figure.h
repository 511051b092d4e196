#pragma once

#include <QString>
#include <functional>
#include <optional>

// Why a figure has no number. The window shows the text either way; the history and the JSON
// keep the reason, so that a failed request is never read as "0" or as "not found".
enum class Why {
    None,         // the figure holds a number
    NotFound,     // the engine answered and the site is not among the results scanned
    Unrecognised, // the page lacks the markers the figure is cut by (a changed or blocked page)
    Failed,       // the request failed
    NoNumber,     // the text shown holds no number
    Blocked,      // the engine answered with a captcha or verification page, or nothing at all
};

// The reasons as stored and printed: "", "not_found", "unrecognised", "failed", "no_number",
// "blocked".
QString whyKey(Why why);
// Unknown words read as NoNumber.
Why whyFromKey(const QString& key);

// One figure of a run as the user saw it: a survey's engine, a rank box, a badge, a density
// measure, a related search's attention column.
struct Figure {
    QString label;                // "Baidu", "pagerank", "density", "seo 优化/一周关注" …
    QString text;                 // as shown
    std::optional<double> number; // what the text says as a number, when it says one
    Why why = Why::None;          // why there is no number
    QString detail;               // the failure's description when why is Failed
    QString address;              // the request address, where one was asked
};

// Told each figure as soon as a tool has it.
using FigureSink = std::function<void(const Figure&)>;

// The count a figure's text holds: "1234", "约1,234", "1,234,567", "12.5万" (×10⁴), "3亿"
// (×10⁸), "69.23", blanks around. Anything else — "-", "", "排名为第3位", "1,2,3" — holds none.
std::optional<double> countIn(const QString& text);

// A figure whose number is the count its text holds; NoNumber when it holds none.
Figure countFigure(const QString& label, const QString& text, const QString& address = {});

// A figure the tool could not read: "-" or whatever the window shows, and why.
Figure missingFigure(const QString& label, const QString& text, Why why, const QString& detail = {},
                     const QString& address = {});
