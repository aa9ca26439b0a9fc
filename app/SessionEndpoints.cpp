#include "app/SessionEndpoints.h"

#include "platform/SambaWorkgroup.h"
#include "prefs/NetworkSettings.h"

TransportEndpoints SessionEndpoints(CRegistry& registry)
{
    TransportEndpoints endpoints;
    const NetworkSettings network = LoadNetworkSettings(registry, MachineWorkgroup());
    endpoints.workgroup = network.workgroup.toLocal8Bit();
    endpoints.extraNetworks = network.extraNetworks;
    if (!network.windowsPeers)
        endpoints.mailslotPort.reset();
    return endpoints;
}
