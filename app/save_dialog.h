#pragma once

#include "app/seam.h"

#include <QString>

class QWidget;

// The system's save dialog: the file the user chose, or an empty string when cancelled. Tests
// replace it with one that answers a path of their own.
namespace save_dialog {

using Ask = QString(QWidget* parent, const QString& caption, const QString& suggested,
                    const QString& filter);
Seam<Ask>& seam();

QString ask(QWidget* parent, const QString& caption, const QString& suggested,
            const QString& filter);

} // namespace save_dialog
