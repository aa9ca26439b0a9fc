#include "platform/AutostartEntry.h"

#include "platform/AtomicFile.h"
#include "platform/DesktopId.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The string escapes that every value of a desktop entry takes.
QString EntryValue(const QString& text)
{
    QString value;
    for (const QChar ch : text) {
        switch (ch.unicode()) {
        case u'\\':
            value += u"\\\\";
            break;
        case u'\n':
            value += u"\\n";
            break;
        case u'\t':
            value += u"\\t";
            break;
        case u'\r':
            value += u"\\r";
            break;
        default:
            value += ch;
        }
    }
    return value;
}

// One Exec argument: double quotes around it, a backslash before " ` $ and \ inside them,
// %% for a literal %; then the string escapes.
QString ExecArgument(const QString& argument)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar ch : argument) {
        if (ch == u'"' || ch == u'`' || ch == u'$' || ch == u'\\')
            quoted += u'\\';
        quoted += ch;
        if (ch == u'%')
            quoted += u'%';
    }
    quoted += u'"';
    return EntryValue(quoted);
}

QString LegacyEntry(const QString& entryPath)
{
    return QFileInfo(entryPath).dir().filePath(QStringLiteral("pellwick.desktop"));
}

} // namespace

namespace AutostartEntry {

QByteArray Format(const QString& exePath)
{
    return QByteArrayLiteral("[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Pellwick\n"
                             "Comment=Messenger of the local network\n"
                             "Exec=")
        + ExecArgument(exePath).toUtf8()
        // Once the program is gone (the package removed), the desktop skips the entry.
        + QByteArrayLiteral("\nTryExec=") + EntryValue(exePath).toUtf8() + QByteArrayLiteral("\nIcon=")
        + DesktopId().toUtf8()
        + QByteArrayLiteral("\n"
                            "Terminal=false\n"
                            "X-GNOME-Autostart-enabled=true\n");
}

bool Write(const QString& exePath, const QString& entryPath)
{
    if (!AtomicFile::Write(entryPath, Format(exePath)))
        return false;
    const QString legacy = LegacyEntry(entryPath);
    if (QFileInfo(legacy) != QFileInfo(entryPath))
        QFile::remove(legacy);
    return true;
}

bool Remove(const QString& entryPath)
{
    for (const QString& path : {entryPath, LegacyEntry(entryPath)})
        QFile::remove(path);
    return !QFile::exists(entryPath) && !QFile::exists(LegacyEntry(entryPath));
}

} // namespace AutostartEntry
