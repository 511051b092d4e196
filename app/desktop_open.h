#pragma once

#include "app/seam.h"

#include <QUrl>

// Opens addresses in the user's default browser. Only web addresses (http, https) are handed
// to the system; anything else is ignored. Tests replace the opener to see what would open.
namespace desktop {

Seam<void(const QUrl&)>& opener();

// Returns whether the address was a web address and was handed on.
bool openWebAddress(const QUrl& url);

} // namespace desktop
