#include "app/message_box.h"

#include <QMessageBox>

namespace message_box {

Seam<void(QWidget* parent, const QString& text)>& seam() {
    static Seam<void(QWidget*, const QString&)> box;
    return box;
}

void warn(QWidget* parent, const QString& text) {
    if (const auto& replacement = seam().replacement()) {
        replacement(parent, text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("系统提示："), text, QMessageBox::Ok,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

Seam<bool(QWidget* parent, const QString& text)>& confirmSeam() {
    static Seam<bool(QWidget*, const QString&)> box;
    return box;
}

bool confirm(QWidget* parent, const QString& text) {
    if (const auto& replacement = confirmSeam().replacement())
        return replacement(parent, text);
    QMessageBox box(QMessageBox::Question, QStringLiteral("系统提示："), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

} // namespace message_box
