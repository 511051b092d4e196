#pragma once

#include <QString>

// The visible text of a page as a search engine's spider sees it: script blocks, style blocks
// and every tag deleted, nothing put in their place.
QString removeHtml(QStringView html);

// Deletes spaces, ideographic spaces, "&nbsp;", CR LF pairs and tabs, in that order, and writes
// the result back into text as well as returning it.
QString removeBlank(QString& text);

// removeBlank(removeHtml(html)), in one pass less.
QString pageText(QStringView html);

// text becomes pageText(text.mid(from)), in place: a page's spider text needs no second copy of
// the page.
void pageTextInPlace(QString& text, qsizetype from = 0);
