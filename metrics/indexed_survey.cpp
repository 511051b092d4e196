#include "metrics/indexed_survey.h"

const SurveyKind kIndexedSurvey{"indexed", "收录数量", "result.html"};
