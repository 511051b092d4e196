#pragma once

#include "base/tool_error.h"
#include "net/http_fetch.h"

#include <QString>

// What a fetch of url failed with, or "(no error)".
inline QString failureOf(Fetcher& f, const QString& url) {
    try {
        f.get(url);
    } catch (const ToolError& e) {
        return e.description();
    }
    return QStringLiteral("(no error)");
}
