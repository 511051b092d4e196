#pragma once

#include <QString>
#include <QStringList>

// What tessivo's command line asks for.
struct WindowOptions {
    QString screenshots = {};
    QString endpointsFile = {};
    QString configDir = {};
    QString enginesDir = {};
    QString proxy = {};
    bool demo = false;
    bool help = false;
    bool version = false;
    bool manPage = false;
    QString unknown = {}; // the first word that is none of the window's options
};

// Reads the words after the program's name. An option that takes a value takes the word after
// it, or what follows its "=" ("--endpoints=" alone is unknown: it would read as no file).
WindowOptions parseWindowOptions(const QStringList& words);

// What tessivo --help prints.
QString windowUsage();

// tessivo(1) in troff: what the help says.
QString windowManPage();
