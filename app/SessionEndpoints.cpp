#include "app/SessionEndpoints.h"

#include "platform/Logging.h"
#include "prefs/NetworkSettings.h"

TransportEndpoints SessionEndpoints(CRegistry& registry)
{
    TransportEndpoints endpoints;
    const NetworkSettings network = LoadNetworkSettings(registry);
    const WindowsNames names = ResolveWindowsNames(network);
    for (const QString& name : names.unwritable)
        qCInfo(lcNet).noquote() << "the name" << name << "cannot be written in code page" << names.codePage;
    endpoints.computerName = names.computer;
    endpoints.workgroup = names.workgroup;
    endpoints.extraNetworks = network.extraNetworks;
    if (!network.windowsPeers)
        endpoints.mailslotPort.reset();
    return endpoints;
}
