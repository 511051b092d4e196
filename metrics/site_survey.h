#pragma once

#include "net/endpoint_table.h"
#include "net/http_fetch.h"

#include <QString>
#include <functional>
#include <span>

// One engine of a survey: where to ask and how to cut its count out of the answer.
// requestTemplate is the address with "{EndpointName}" for an endpoint's base, "{d}" for the
// domain and "{SogouHostName}" for the Sogou host without scheme.
struct EngineRow {
    const char* engine;
    const char* requestTemplate;
    const char* decodeMode;
    const char* startMarker;
    const char* endMarker;
    const char* stripList;
};

// A survey: its data-row caption and its eight engines in column order.
struct SurveyKind {
    const char* caption;
    std::span<const EngineRow> engines;
};

// The request address of one row for domain d.
QString expandRequest(const char* requestTemplate, const EndpointTable& endpoints,
                      const QString& d);

// The table's opening: style, body, table, the logo row and the data-row caption cell.
QString resultsTableHead(const EndpointTable& endpoints, const QString& caption);

// Queries every engine of kind in order, yielding before each request and once after the last,
// and returns the whole table document. Any error ends the survey and propagates.
QString runSurvey(const SurveyKind& kind, const QString& d, Fetcher& fetcher,
                  const EndpointTable& endpoints, const std::function<void()>& yield);
