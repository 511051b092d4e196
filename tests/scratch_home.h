#pragma once

#include "environment_guard.h"

#include <QTemporaryDir>

// The tests and the programs they start (tessivo-cli, tessivo) keep their history, cache and
// settings under a folder of the test run's own instead of the user's — test mode's folders are
// under HOME too — and it goes when the run ends, so no run sees what an earlier one recorded.
class ScratchHome {
private:
    QByteArray under(const char* name) const {
        return (dir_.path() + u'/' + QLatin1String(name)).toUtf8();
    }

    QTemporaryDir dir_;
    EnvironmentGuard home_{"HOME", dir_.path().toUtf8()};
    EnvironmentGuard data_{"XDG_DATA_HOME", under("data")};
    EnvironmentGuard cache_{"XDG_CACHE_HOME", under("cache")};
    EnvironmentGuard config_{"XDG_CONFIG_HOME", under("config")};
    EnvironmentGuard state_{"XDG_STATE_HOME", under("state")};
};
