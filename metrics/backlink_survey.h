#pragma once

#include "metrics/site_survey.h"

// How many links to a site each of the eight engines reports.
extern const SurveyKind kBacklinkSurvey;
