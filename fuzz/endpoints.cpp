// An endpoints file of any content: whatever it sets is a base the table would take again.
#include "fuzz_support.h"
#include "net/endpoint_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeConfig(
        "endpoints.ini", QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    EndpointTable table;
    table.apply(path);
    for (const EndpointInfo& e : kEndpoints) {
        const QString why = EndpointTable::refusal(e.endpoint, table.base(e.endpoint));
        if (!why.isEmpty())
            fuzz::mismatch("the table holds a base it refuses", table.base(e.endpoint), why);
        table.hostName(e.endpoint);
    }
    return 0;
}
