#pragma once

#include <QString>

// Columns a terminal gives the text: two for wide and fullwidth characters (CJK), none for
// combining marks and format characters, one for the rest.
int displayWidth(const QString& text);
