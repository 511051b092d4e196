#pragma once

#include <QString>
#include <functional>

class QWidget;

// The program's one error box: warning icon, OK button, title "系统提示：". Tests install a
// handler that records the text instead of opening a modal dialog.
namespace message_box {

using Handler = std::function<void(QWidget* parent, const QString& text)>;

// Installs handler and returns the one it replaces; an empty handler restores the real box.
Handler setHandler(Handler handler);

void warn(QWidget* parent, const QString& text);

} // namespace message_box
