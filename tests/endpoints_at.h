#pragma once

#include "net/endpoint_table.h"

// Every endpoint pointed at one fixture server.
inline EndpointTable endpointsAt(const QString& base) {
    EndpointTable t;
    for (const EndpointInfo& e : kEndpoints)
        t.set(e.endpoint, base);
    return t;
}
