#pragma once

#include "cli/command.h"

#include <vector>

// A command line worth copying, and what it does.
struct CommandExample {
    const char* line;
    const char* what;
};

// The examples of a command, by its name, as the help and the manual page show them; none for a
// name that is no command.
std::vector<CommandExample> commandExamples(const Command& command);
