#pragma once

#include <QString>
#include <stdexcept>

// The one error every tool raises. Its description is what the error box shows after
// "发生错误：" (or alone, for the tools that show the description by itself).
class ToolError : public std::runtime_error {
public:
    explicit ToolError(const QString& description);
    QString description() const;
};
