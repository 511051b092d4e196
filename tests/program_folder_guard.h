#pragma once

#include "base/program_folder.h"

// Points the program folder at folder until the guard goes, however the test ends.
class ProgramFolderGuard {
public:
    explicit ProgramFolderGuard(const QString& folder) : previous_(program_folder::path()) {
        program_folder::setPath(folder);
    }
    ~ProgramFolderGuard() { program_folder::setPath(previous_); }
    ProgramFolderGuard(const ProgramFolderGuard&) = delete;
    ProgramFolderGuard& operator=(const ProgramFolderGuard&) = delete;

private:
    QString previous_;
};
