#include "app/desktop_open.h"

#include <QDesktopServices>

namespace desktop {
namespace {

Opener& current() {
    static Opener opener;
    return opener;
}

} // namespace

Opener setOpener(Opener opener) {
    return std::exchange(current(), std::move(opener));
}

bool openWebAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https"))
        return false;
    if (current())
        current()(url);
    else
        QDesktopServices::openUrl(url);
    return true;
}

} // namespace desktop
