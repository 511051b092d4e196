#pragma once

#include <QString>

// A tooltip that shows text exactly as written. Qt shows a tooltip as rich text when it merely
// looks like markup (Qt::mightBeRichText), so a server's answer holding "<img src=…>" or "<a
// href=…>" would be drawn, and could fetch or link; such a text is handed over escaped, as the
// rich text of itself. Any other text is plain already and goes as it is.
QString plainToolTip(const QString& text);
