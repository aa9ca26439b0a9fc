#pragma once

#include <QString>

// The machine's workgroup as Samba is set up: the "workgroup" parameter of the [global]
// section of smb.conf, else "WORKGROUP" (the name Windows gives a new machine).
QString MachineWorkgroup(const QString& smbConf = QStringLiteral("/etc/samba/smb.conf"));
