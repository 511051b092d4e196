#pragma once

#include "app/seam.h"

#include <QString>

class QWidget;

// The program's one error box: warning icon, OK button, title "系统提示：". Tests replace it
// with a recorder instead of a modal dialog.
namespace message_box {

Seam<void(QWidget* parent, const QString& text)>& seam();

void warn(QWidget* parent, const QString& text);

// A question before something that cannot be undone: Yes or No, No by default. Tests answer it
// through confirmSeam().
Seam<bool(QWidget* parent, const QString& text)>& confirmSeam();

bool confirm(QWidget* parent, const QString& text);

} // namespace message_box
