#pragma once

#include "net/CMailslotTransport.h"

#include <QByteArray>

#include <atomic>
#include <unistd.h>
#include <vector>

// A transport that never reaches a real network: any free port, heard back on loopback only,
// and a confirmation name of its own, so tests run beside each other and beside a real copy.
// The Windows peers' wire is off unless a test asks for it (mailslotPort 0).
inline TransportEndpoints LoopbackEndpoints()
{
    static std::atomic<int> counter{0};
    TransportEndpoints endpoints;
    endpoints.port = 0;
    endpoints.confirmName
        = "pellwick-test/confirm-" + QByteArray::number(getpid()) + '-' + QByteArray::number(counter++);
    endpoints.networks = [] { return std::vector<Ipv4Network>{{0x7F000001, 0x7FFFFFFF}}; };
    endpoints.mailslotPort.reset();
    endpoints.computerName = "TESTHOST";
    return endpoints;
}
