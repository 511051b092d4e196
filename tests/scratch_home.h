#pragma once

#include "environment_guard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// The tests and the programs they start (tessivo-cli, tessivo) keep their history, cache and
// settings under a folder of the test run's own instead of the user's — test mode's folders are
// under HOME too — and it goes when the run ends, so no run sees what an earlier one recorded.
class ScratchHome {
private:
    QByteArray under(const char* name) const {
        return (dir_.path() + u'/' + QLatin1String(name)).toUtf8();
    }

    // The runtime folder must exist and be the user's alone; without one Qt falls back to
    // /tmp/runtime-USER, which every test program would share.
    QByteArray privateFolder(const char* name) const {
        const QString path = dir_.filePath(QLatin1String(name));
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path.toUtf8();
    }

    QTemporaryDir dir_;
    EnvironmentGuard home_{"HOME", dir_.path().toUtf8()};
    EnvironmentGuard data_{"XDG_DATA_HOME", under("data")};
    EnvironmentGuard cache_{"XDG_CACHE_HOME", under("cache")};
    EnvironmentGuard config_{"XDG_CONFIG_HOME", under("config")};
    EnvironmentGuard state_{"XDG_STATE_HOME", under("state")};
    EnvironmentGuard runtime_{"XDG_RUNTIME_DIR", privateFolder("runtime")};
};
