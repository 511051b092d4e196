#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

// The tests and the programs they start (tessivo-cli, tessivo) keep their history, cache and
// settings under a folder of the test run's own instead of the user's — test mode's folders are
// under HOME too — and it goes when the run ends, so no run sees what an earlier one recorded.
class ScratchHome {
public:
    ScratchHome() {
        qputenv("HOME", dir_.path().toUtf8());
        for (const char* var :
             {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"})
            qputenv(var, (dir_.path() + u'/' + QLatin1String(var)).toUtf8());
    }

private:
    QTemporaryDir dir_;
};
