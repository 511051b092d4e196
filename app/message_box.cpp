#include "app/message_box.h"

#include <QMessageBox>

namespace message_box {
namespace {

Handler& current() {
    static Handler handler;
    return handler;
}

} // namespace

Handler setHandler(Handler handler) {
    return std::exchange(current(), std::move(handler));
}

void warn(QWidget* parent, const QString& text) {
    if (current()) {
        current()(parent, text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("系统提示："), text, QMessageBox::Ok,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace message_box
