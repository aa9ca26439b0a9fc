#pragma once

#include <QString>

class CRegistry;

// The "Network" key beside the Preferences tree, for users who need it: "Workgroup" (text)
// names the workgroup the program writes to on the Windows peers' wire, and "WindowsPeers"
// (a number) 0 turns that wire off, "ExtraNetworks" (text) lists hosts and subnets beyond the
// attached networks that get every record too. Nothing is written: a missing value means the
// default.
struct NetworkSettings {
    QString workgroup;
    bool windowsPeers = true;
    QString extraNetworks;
};

// machineWorkgroup: the workgroup when the settings name none.
NetworkSettings LoadNetworkSettings(CRegistry& registry, const QString& machineWorkgroup);
