#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class CRegistry;

// The "Network" key beside the Preferences tree: "ComputerName" and "Workgroup" (texts) name
// this computer and its workgroup on the Windows peers' wire, "CodePage" (a number) the OEM
// code page those names are written in, "WindowsPeers" 0 turns that wire off, and
// "ExtraNetworks" lists networks beyond the attached ones. A missing value means the default.
struct NetworkSettings {
    QString computerName; // empty: the host name
    QString workgroup; // empty: the machine's workgroup
    int codePage = 0; // 0: the locale's
    bool windowsPeers = true;
    QString extraNetworks;

    bool operator==(const NetworkSettings&) const = default;
};

NetworkSettings LoadNetworkSettings(CRegistry& registry);
// Writes every value in one write of the file; a default is written as empty (or 0).
bool SaveNetworkSettings(CRegistry& registry, const NetworkSettings& settings);

// The names the Windows peers' wire writes. A name that the code page cannot hold is replaced
// (the computer's by the host name, the workgroup's by WORKGROUP) and listed in unwritable.
struct WindowsNames {
    QByteArray computer;
    QByteArray workgroup;
    int codePage = 0;
    QStringList unwritable;
};

// hostName: this machine's host name; machineWorkgroup: Samba's workgroup; localeCodePage:
// the code page when the settings name none (or one that is not known).
WindowsNames ResolveWindowsNames(const NetworkSettings& settings, const QString& hostName,
                                 const QString& machineWorkgroup, int localeCodePage);
// The same with this machine's host name, Samba's workgroup and the system locale.
WindowsNames ResolveWindowsNames(const NetworkSettings& settings);
