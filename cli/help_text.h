#pragma once

#include "cli/command.h"

#include <QString>

QString programHelp();
QString commandHelp(const Command& command);
