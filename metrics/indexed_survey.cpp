#include "metrics/indexed_survey.h"

#include "net/engine_schema.h"

const SurveyKind kIndexedSurvey{engine_tool::kIndexed, "收录数量", "result.html"};
