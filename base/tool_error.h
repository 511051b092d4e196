#pragma once

#include <QString>
#include <stdexcept>

// What the error box and the CLI put before an error's description.
inline const QString kErrorPrefix = QStringLiteral("发生错误：");

// The one error every tool raises. Its description is what the error box shows after
// kErrorPrefix (or alone, for the tools that show the description by itself).
// The description is kept whole, a U+0000 in it included; what() is its UTF-8 form.
class ToolError : public std::runtime_error {
public:
    explicit ToolError(const QString& description);
    QString description() const { return description_; }

private:
    QString description_;
};

// A value from outside the program (an address, a typed word, a line of a file) as a message
// quotes it: whole up to kEchoedMaxChars UTF-16 units, cut there with "…" when longer (never
// inside a surrogate pair), so that one huge input cannot bury what the message says.
inline constexpr qsizetype kEchoedMaxChars = 200;
QString echoed(const QString& value);
