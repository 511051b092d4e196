#pragma once

#include <QUrl>
#include <functional>

// Opens addresses in the user's default browser. Only web addresses (http, https) are handed
// to the system; anything else is ignored. Tests replace the opener to see what would open.
namespace desktop {

using Opener = std::function<void(const QUrl&)>;

// Installs opener and returns the one it replaces; an empty opener restores the system's.
Opener setOpener(Opener opener);

// Returns whether the address was a web address and was handed on.
bool openWebAddress(const QUrl& url);

} // namespace desktop
