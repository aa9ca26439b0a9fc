#pragma once

#include "net/CMailslotTransport.h"

#include <QByteArray>

#include <atomic>
#include <unistd.h>
#include <vector>

// A transport that never reaches a real network: any free port, heard back on loopback only,
// and a confirmation name of its own, so tests run beside each other and beside a real copy.
// The Windows peers' wire, on any free port too, only when asked for.
inline TransportEndpoints LoopbackEndpoints(bool withMailslotWire = false)
{
    static std::atomic<int> counter{0};
    TransportEndpoints endpoints;
    endpoints.port = 0;
    endpoints.confirmName
        = "pellwick-test/confirm-" + QByteArray::number(getpid()) + '-' + QByteArray::number(counter++);
    endpoints.networks = [] { return std::vector<Ipv4Network>{{0x7F000001, 0x7FFFFFFF}}; };
    endpoints.mailslotPort = withMailslotWire ? std::optional<quint16>(0) : std::nullopt;
    endpoints.computerName = "TESTHOST";
    return endpoints;
}
