#include "cli/command.h"

// Apart from the rest of the context: the launcher's light commands make no request, and reading
// endpoints would bring it the network's address parsing (Qt Network).
CliEndpoints::operator const EndpointTable&() const {
    if (!table_) {
        EndpointTable table = EndpointTable::forProgram();
        if (!extraFile_.isEmpty())
            table.load(extraFile_);
        table_ = table;
    }
    return *table_;
}
