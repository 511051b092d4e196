#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

// The programs the tests start (tessivo-cli, tessivo) keep their history, cache and settings
// under a folder of the test run's own instead of the user's, and it goes when the run ends.
class ScratchHome {
public:
    ScratchHome() {
        for (const char* var :
             {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"})
            qputenv(var, (dir_.path() + u'/' + QLatin1String(var)).toUtf8());
    }

private:
    QTemporaryDir dir_;
};
