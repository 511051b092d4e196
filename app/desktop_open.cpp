#include "app/desktop_open.h"

#include <QDesktopServices>

namespace desktop {

Seam<void(const QUrl&)>& opener() {
    static Seam<void(const QUrl&)> seam;
    return seam;
}

bool openWebAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https"))
        return false;
    if (const auto& replacement = opener().replacement())
        replacement(url);
    else
        QDesktopServices::openUrl(url);
    return true;
}

} // namespace desktop
