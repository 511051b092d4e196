#include "metrics/backlink_survey.h"

const SurveyKind kBacklinkSurvey{"backlinks", "外链数量", "result_links.html"};
