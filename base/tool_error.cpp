#include "base/tool_error.h"

ToolError::ToolError(const QString& description)
    : std::runtime_error(description.toUtf8().toStdString()) {}

QString ToolError::description() const {
    return QString::fromUtf8(what());
}
