#include "metrics/backlink_survey.h"

#include "net/engine_schema.h"

const SurveyKind kBacklinkSurvey{engine_tool::kBacklinks, "外链数量", "result_links.html"};
