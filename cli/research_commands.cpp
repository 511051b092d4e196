#include "cli/command.h"

std::vector<Command> researchCommands() { return {}; }
