#pragma once

#include "netinfo/country_database.h"

#include <gtest/gtest.h>

// The offline country database is not in the repository (scripts/fetch-ip-data.sh fetches it), so
// a packager's offline build lacks it: the tests that read countries out of it skip there, saying
// why, instead of failing.
#define SKIP_WITHOUT_COUNTRY_DATABASE()                                                            \
    do {                                                                                           \
        if (!CountryDatabase::forProgram())                                                        \
            GTEST_SKIP() << CountryDatabase::missingReason().toStdString();                        \
    } while (false)
