#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

QtTranslations::QtTranslations(const QLocale& locale) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogue : {"qtbase", "qtwebengine"}) {
        auto t = std::make_unique<QTranslator>();
        if (t->load(locale, QLatin1String(catalogue), QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(t.get()))
            translators_.push_back(std::move(t));
    }
}

QtTranslations::~QtTranslations() {
    for (const auto& t : translators_)
        QCoreApplication::removeTranslator(t.get());
}

void giveBrowserEngineLocale(const QLocale& locale) {
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (flags.contains("--lang=") || locale.language() == QLocale::C)
        return;
    // Chromium names its locales as "zh-CN", not Qt's "zh_CN".
    const QByteArray lang = locale.name().replace(u'_', u'-').toLatin1();
    flags += (flags.isEmpty() ? "" : " ") + QByteArray("--lang=") + lang;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}
