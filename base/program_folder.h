#pragma once

#include <QString>

// The folder that holds config/, images/ and download/: share/tessivo of the installation the
// programs belong to, or the build folder that holds them beside their data, unless a caller
// (--config-dir, a test) points it elsewhere. Never ends in a separator.
namespace program_folder {

QString path();
void setPath(const QString& folder);

// path() + relative, relative written with forward slashes and a leading "/".
QString file(const QString& relative);

} // namespace program_folder
