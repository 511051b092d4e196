#pragma once

#include "net/endpoint_table.h"

// Every endpoint pointed at one fixture server.
inline EndpointTable endpointsAt(const QString& base) {
    EndpointTable t;
    for (int i = 0; i < kEndpointCount; ++i)
        t.set(Endpoint(i), base);
    return t;
}
