#pragma once

#include <QString>

// The folder that holds config/, images/ and download/: beside the executable, unless a
// caller (the CLI's --config-dir, a test) points it elsewhere. Never ends in a separator.
namespace program_folder {

QString path();
void setPath(const QString& folder);

// path() + relative, relative written with forward slashes and a leading "/".
QString file(const QString& relative);

} // namespace program_folder
