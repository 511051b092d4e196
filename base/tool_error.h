#pragma once

#include <QString>
#include <stdexcept>

// What the error box and the CLI put before an error's description.
inline const QString kErrorPrefix = QStringLiteral("发生错误：");

// The one error every tool raises. Its description is what the error box shows after
// kErrorPrefix (or alone, for the tools that show the description by itself).
class ToolError : public std::runtime_error {
public:
    explicit ToolError(const QString& description);
    QString description() const;
};
