#include "cli/command.h"

const std::vector<Command>& commands() {
    static const std::vector<Command> all = [] {
        std::vector<Command> v;
        for (auto part :
             {netCommands(), metricsCommands(), rankCommands(), researchCommands(),
              directoriesCommands(), scriptCommands(), netinfoCommands(), auditCommands(),
              submitCommands(), trackCommands(), historyCommands(), enginesCommands()})
            v.insert(v.end(), part.begin(), part.end());
        return v;
    }();
    return all;
}
