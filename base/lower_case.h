#pragma once

#include <QString>

// Makes text what std::move(text).toLower() would return (a temporary's lower case, which may
// differ from a const string's in what becomes of lone surrogates): ASCII in place, every other
// unit through a table of what QString::toLower makes of it, built once. Surrogates and the few
// characters whose lower case is longer than themselves take QString::toLower from there on.
void lowerInPlace(QString& text);
