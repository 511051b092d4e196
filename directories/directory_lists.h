#pragma once

#include <QString>
#include <functional>
#include <span>

// One of the six submission directories: its data file and how its two fields are ordered.
struct DirectoryList {
    const char* name;       // the CLI's name, and the file's stem
    const char* file;       // relative to the program folder
    const char* siteHeader; // header of the list view's second column
    bool addressFirst;      // the forum list writes the address before the site name
};

std::span<const DirectoryList> directoryLists();
const DirectoryList* findDirectoryList(const QString& name);

// Reads list's file and reports every entry line, in file order, as (site name, address).
// Raises ToolError when the file cannot be read; entries reported before that stay reported.
void readDirectoryList(const DirectoryList& list,
                       const std::function<void(const QString& site, const QString& address)>& add);

// The address to hand to the browser for a list row: only web addresses, and one without a
// scheme is taken as http. Empty when the row holds anything else.
QString webAddressOf(const QString& address);
