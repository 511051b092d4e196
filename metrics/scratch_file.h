#pragma once

#include <QString>

// A file a survey shows its table from: name in the user's cache folder, written as one GBK
// line ending in CR LF and replaced atomically, readable by its user alone (0600, in a 0700
// folder). Each survey has a name of its own, so two surveys running side by side never write
// one file. Returns its path; raises ToolError when it cannot be written.
QString writeScratchFile(const QString& name, const QString& document);

// The text the scratch file holds for document (GBK round trip), without the final CR LF.
QString scratchFileText(const QString& document);
