#pragma once

#include <QString>

// What every tool does to a domain or site typed by the user: spaces trimmed (U+0020 only),
// apostrophes deleted, a leading "https://" deleted, or every "http://" when the text starts
// with that, every "/" deleted when it then ends with one. An empty result means the tool ends
// silently.
QString cleanSite(const QString& typed);

// A keyword: spaces trimmed, then apostrophes deleted. Inner spaces stay.
QString cleanKeyword(const QString& typed);
