#pragma once

#include "base/figure.h"
#include "base/progress.h"
#include "net/endpoint_table.h"
#include "net/http_fetch.h"

#include <QString>
#include <functional>
#include <span>

// One engine of a survey: its name, its logo in the table's head, where to ask (see
// requestAddress; {d} is the domain) and how to cut its count out of the answer.
struct EngineRow {
    const char* name;
    const char* logo; // MakerHost/images/<logo>.gif
    const char* requestTemplate;
    Decode decode;
    const char* startMarker;
    const char* endMarker;
    const char* stripList;
};

// A survey: its name, its data-row caption, its scratch file's name and its eight engines in
// column order.
struct SurveyKind {
    const char* tool; // its name in the history and the command line's command
    const char* caption;
    const char* scratchName;
    std::span<const EngineRow> engines;
};

// Queries every engine of kind in order, telling progress before each request and figureSink
// after it (the figure labelled with the engine's name), and returns the whole table document. Any
// error (or a stop) ends the survey and propagates.
QString runSurvey(const SurveyKind& kind, const QString& d, Fetcher& fetcher,
                  const EndpointTable& endpoints, const Progress& progress = {},
                  const FigureSink& figureSink = {});
