#include "res/ResourceLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <mutex>

static void InitResources()
{
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(pellwick); });
}

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString BitmapPath(int id, int scale = 1)
{
    if (scale != 1) {
        const QString path = QStringLiteral(":/bitmaps/%1@%2x.png").arg(id).arg(scale);
        return QFile::exists(path) ? path : QString();
    }
    for (const char* suffix : {".png", ".bmp"}) {
        const QString path = QStringLiteral(":/bitmaps/%1").arg(id) + QLatin1String(suffix);
        if (QFile::exists(path))
            return path;
    }
    return {};
}

} // namespace

QIcon LoadIconResource(int id)
{
    InitResources();
    QIcon icon;
    // Files are named <id>-<size>.png.
    const QRegularExpression name(QStringLiteral("^%1-\\d+\\.png$").arg(id));
    QDirIterator it(QStringLiteral(":/icons"));
    while (it.hasNext()) {
        it.next();
        if (name.match(it.fileName()).hasMatch())
            icon.addFile(it.filePath());
    }
    return icon;
}

QImage LoadBitmapResource(int id, int scale)
{
    InitResources();
    const QString path = BitmapPath(id, scale);
    return path.isEmpty() ? QImage() : QImage(path);
}

QByteArray LoadBitmapFile(int id)
{
    InitResources();
    const QString path = BitmapPath(id);
    return path.isEmpty() ? QByteArray() : ReadAll(path);
}

QString SoundCueFile(int id)
{
    const QString dir = QCoreApplication::applicationDirPath();
    const QString name = QStringLiteral("/%1.wav").arg(id);
    // Installed (bin/ beside share/), then a build tree, where the cues sit beside the program.
    for (const QString& folder : {dir + QStringLiteral("/../share/pellwick/sounds"), dir + QStringLiteral("/sounds")}) {
        if (QFileInfo(folder + name).isFile())
            return QDir::cleanPath(folder + name);
    }
    return {};
}
