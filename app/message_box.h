#pragma once

#include "app/seam.h"

#include <QString>

class QWidget;

// The program's one error box: warning icon, OK button, title "系统提示：". Tests replace it
// with a recorder instead of a modal dialog.
namespace message_box {

Seam<void(QWidget* parent, const QString& text)>& seam();

void warn(QWidget* parent, const QString& text);

} // namespace message_box
