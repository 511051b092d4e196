#pragma once

#include <QGuiApplication>

// The application-wide hourglass. stop() may be called any number of times; the pointer is
// restored at the latest when the object goes out of scope, so no path leaves it busy.
class BusyPointer {
public:
    BusyPointer() = default;
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    ~BusyPointer() { stop(); }

    void start() {
        if (!busy_)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        busy_ = true;
    }
    void stop() {
        if (busy_)
            QGuiApplication::restoreOverrideCursor();
        busy_ = false;
    }

private:
    bool busy_ = false;
};
