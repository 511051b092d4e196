#pragma once

#include <QLocale>
#include <QTranslator>
#include <memory>
#include <vector>

// Qt's own texts in the user's language: the buttons of the message box, the text boxes' and the
// web views' context menus. The program's own texts are Chinese whatever the language.
class QtTranslations {
public:
    // Installs Qt's catalogues for locale that are present (Debian: qt6-translations-l10n).
    explicit QtTranslations(const QLocale& locale);
    ~QtTranslations(); // removes them again
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    int loaded() const { return int(translators_.size()); }

private:
    std::vector<std::unique_ptr<QTranslator>> translators_;
};

// Tells the browser engine of the web views the user's language (its own menus, error pages and
// the language it asks pages for), unless QTWEBENGINE_CHROMIUM_FLAGS already names one. Must
// run before the engine starts.
void giveBrowserEngineLocale(const QLocale& locale);
