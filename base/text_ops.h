#pragma once

#include <QString>

// Text helpers with the 1-based positions the tools' cutting rules are written in.
// QString counts from 0; keeping the conversion here keeps every caller's arithmetic plain.
namespace text {

// Position (1-based) of the first occurrence of needle in hay at or after start; 0 when absent.
// An empty needle is found at start, as long as start lies within hay (or just after it).
int inStr(int start, const QString& hay, const QString& needle);

// The length characters of s that begin at 1-based position start (fewer at the end of s).
// A start below 1 or a negative length is an invalid argument and raises ToolError.
QString mid(const QString& s, int start, int length);

// Everything of s from 1-based position start to its end.
QString midToEnd(const QString& s, int start);

// s with every non-overlapping occurrence of what, scanning from the left, removed.
QString removeAll(QString s, const QString& what);

// s without leading and trailing U+0020; tabs, line breaks and full-width spaces stay.
QString trimSpaces(const QString& s);

} // namespace text
