#pragma once

#include "cli/command.h"

#include <QString>

QString programHelp();
QString commandHelp(const Command& command);
// tessivo-cli(1) in troff: what the help says, with every command's options and examples.
QString programManPage();
