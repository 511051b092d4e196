#include "app/save_dialog.h"

#include <QFileDialog>

namespace save_dialog {

Seam<Ask>& seam() {
    static Seam<Ask> dialog;
    return dialog;
}

QString ask(QWidget* parent, const QString& caption, const QString& suggested,
            const QString& filter) {
    if (const auto& replacement = seam().replacement())
        return replacement(parent, caption, suggested, filter);
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

} // namespace save_dialog
