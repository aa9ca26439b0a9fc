#include "platform/SambaWorkgroup.h"

#include <QFile>

namespace {

// The configuration of one machine is small; a larger file is no smb.conf worth reading.
constexpr qint64 kLargestConfig = 4 * 1024 * 1024;

// Samba compares parameter names without regard to case, spaces or underscores.
QByteArray ParameterName(QByteArrayView text)
{
    QByteArray name = text.toByteArray().toLower();
    name.replace(' ', QByteArrayView()).replace('\t', QByteArrayView()).replace('_', QByteArrayView());
    return name;
}

} // namespace

QString MachineWorkgroup(const QString& smbConf)
{
    const QString fallback = QStringLiteral("WORKGROUP");
    QFile file(smbConf);
    if (file.size() > kLargestConfig || !file.open(QIODevice::ReadOnly))
        return fallback;
    bool inGlobal = false;
    QString workgroup;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#') || line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            inGlobal = ParameterName(line) == "[global]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (inGlobal && equals > 0 && ParameterName(line.left(equals)) == "workgroup")
            workgroup = QString::fromUtf8(line.mid(equals + 1).trimmed());
    }
    return workgroup.isEmpty() ? fallback : workgroup;
}
