#include "cli/command.h"

std::vector<Command> rankCommands() { return {}; }
