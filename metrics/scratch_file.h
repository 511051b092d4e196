#pragma once

#include <QString>

// The file the surveys show their table from: result.html in the user's cache folder, written
// as one GBK line ending in CR LF and replaced atomically, readable by its user alone (0600, in
// a 0700 folder). Returns its path; raises ToolError when it cannot be written.
QString writeScratchFile(const QString& document);

// The text the scratch file holds for document (GBK round trip), without the final CR LF.
QString scratchFileText(const QString& document);
