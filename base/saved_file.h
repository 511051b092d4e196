#pragma once

#include <QByteArray>
#include <QString>

// Writes bytes to path through a temporary file renamed at the end, so that a failure leaves the
// old file whole; raises ToolError naming the path and the reason.
void saveFile(const QString& path, const QByteArray& bytes);
