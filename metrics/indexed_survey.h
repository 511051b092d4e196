#pragma once

#include "metrics/site_survey.h"

// How many pages of a site each of the eight engines has indexed.
extern const SurveyKind kIndexedSurvey;
