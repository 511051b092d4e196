#pragma once

#include "base/figure.h"
#include "base/progress.h"
#include "net/endpoint_table.h"
#include "net/http_fetch.h"

#include <QString>
#include <functional>
#include <vector>

// One engine of a survey, from its row in config/engines/<tool>.ini: its name, its logo in the
// table's head, where to ask (see requestAddress; {d} is the domain) and how to cut its count out
// of the answer.
struct EngineRow {
    QString name;
    QString logo; // MakerHost/images/<logo>.gif
    QString requestTemplate;
    Decode decode;
    QString startMarker;
    QString endMarker;
    QString stripList;
};

// A survey: its name, its data-row caption and its scratch file's name; its engines, in column
// order, are the rows of its engines file.
struct SurveyKind {
    const char* tool; // its name in the history, the command line's command and its engines file
    const char* caption;
    const char* scratchName;

    // Raises ToolError when the engines file could not be read.
    std::vector<EngineRow> engines() const;
};

// Queries every engine of kind in order, telling progress before each request and figureSink
// after it (the figure labelled with the engine's name), and returns the whole table document.
// An engine whose request fails gets the cell "失败", linked to its request like every cell, and
// a figure that fails (Why::Failed, with the failure's description); the survey goes on with the
// next engine, and the caller tells the failures. A stop, or a page whose count has its start
// marker without its end marker, ends the survey and propagates.
QString runSurvey(const SurveyKind& kind, const QString& d, Fetcher& fetcher,
                  const EndpointTable& endpoints, const Progress& progress = {},
                  const FigureSink& figureSink = {});
