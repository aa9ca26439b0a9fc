#include "platform/RegistryStore.h"

#include "platform/AtomicFile.h"
#include "platform/Logging.h"
#include "platform/RegistryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QThread>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

// An exclusive lock on the lock file beside the store, waited for at most kLockWait: a
// program that holds it for longer (a hung editor, a stale NFS lock) must not freeze the
// windows. Open file description locks belong to the open file, not the process, so two stores
// in one process exclude each other as well; over NFS they travel as ordinary POSIX locks.
class RegistryStore::FileLock {
public:
    explicit FileLock(const QString& storePath)
    {
        const QFileInfo info(storePath);
        if (!QDir().mkpath(info.absolutePath()))
            return;
        const QByteArray path = QFile::encodeName(info.absoluteFilePath() + QStringLiteral(".lock"));
        m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return;
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        const auto end = std::chrono::steady_clock::now() + kLockWait;
        std::chrono::milliseconds pause(1);
        while (::fcntl(m_fd, F_OFD_SETLK, &lock) != 0) {
            const bool busy = errno == EAGAIN || errno == EACCES || errno == EINTR;
            if (!busy || std::chrono::steady_clock::now() >= end) {
                if (busy)
                    qCInfo(lcPrefs) << "settings file lock still held by another writer:" << path;
                else
                    qCInfo(lcPrefs) << "settings file lock failed:" << path << qt_error_string(errno);
                ::close(m_fd);
                m_fd = -1;
                return;
            }
            QThread::msleep(static_cast<unsigned long>(pause.count()));
            pause = std::min(pause * 2, std::chrono::milliseconds(50));
        }
    }
    ~FileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // closing the description releases its lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool IsLocked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

RegistryStore::RegistryStore(QString filePath)
    : m_filePath(std::move(filePath))
{
}

bool RegistryStore::KeyExists(QStringView keyPath)
{
    const std::lock_guard guard(m_mutex);
    Refresh(nullptr);
    return m_hive.KeyExists(keyPath);
}

std::optional<RegistryValue> RegistryStore::Value(QStringView keyPath, QStringView name)
{
    const std::lock_guard guard(m_mutex);
    Refresh(nullptr);
    const RegistryValue* value = m_hive.Value(keyPath, name);
    return value ? std::optional(*value) : std::nullopt;
}

bool RegistryStore::SetValue(QStringView keyPath, QStringView name, const RegistryValue& value)
{
    return SetValues({{keyPath.toString(), name.toString(), value}});
}

bool RegistryStore::SetValues(const QList<Write>& writes)
{
    const std::lock_guard guard(m_mutex);
    FileLock lock(m_filePath);
    if (!lock.IsLocked())
        return false;
    if (!Refresh(&lock))
        return false;
    if (!m_tempFilesRemoved)
        RemoveTempFiles();
    RegistryHive changed = m_hive;
    for (const Write& write : writes) {
        if (!changed.SetValue(write.keyPath, write.name, write.value))
            return false;
    }
    const QByteArray bytes = RegistryFile::Format(changed);
    if (bytes != m_fileBytes && !AtomicFile::Write(m_filePath, bytes)) {
        qCInfo(lcPrefs) << "settings file not written:" << m_filePath;
        return false;
    }
    m_hive = std::move(changed);
    m_fileBytes = bytes;
    return true;
}

bool RegistryStore::Refresh(FileLock* held)
{
    bool tooLarge = false;
    const std::optional<QByteArray> read = ReadFile(tooLarge);
    if (tooLarge && !held) {
        FileLock lock(m_filePath);
        return lock.IsLocked() && Refresh(&lock);
    }
    if (tooLarge)
        return SetAsideTooLarge();
    if (!read)
        return false;
    const QByteArray& bytes = *read;
    if (m_loaded && bytes == m_fileBytes)
        return true;
    RegistryFile::Parsed parsed = RegistryFile::Parse(bytes);
    // A missing or empty-and-never-written file is simply an empty hive.
    const bool damaged = !bytes.isEmpty() && !parsed.IsWhole();
    if (damaged && !held) {
        // Another process may be halfway through replacing it; look again under the lock.
        FileLock lock(m_filePath);
        if (lock.IsLocked())
            return Refresh(&lock);
    }
    m_hive = std::move(parsed.hive);
    m_fileBytes = bytes;
    m_loaded = true;
    if (damaged && held)
        SetAside(bytes);
    return true;
}

void RegistryStore::SetAside(const QByteArray& damaged)
{
    if (!AtomicFile::Write(m_filePath + QStringLiteral(".bad"), damaged))
        return;
    const QByteArray fresh = RegistryFile::Format(m_hive);
    if (AtomicFile::Write(m_filePath, fresh))
        m_fileBytes = fresh;
}

bool RegistryStore::SetAsideTooLarge()
{
    qCInfo(lcPrefs) << "settings file over" << kMaxFileSize << "bytes set aside:" << m_filePath;
    const QByteArray from = QFile::encodeName(m_filePath);
    const QByteArray to = QFile::encodeName(m_filePath + QStringLiteral(".bad"));
    if (::rename(from.constData(), to.constData()) != 0)
        return false; // left where it is, and not written over
    m_hive = RegistryHive();
    m_fileBytes.clear();
    m_loaded = true;
    return true;
}

void RegistryStore::RemoveTempFiles()
{
    // Writers hold the lock while their temporary file exists, so under it any such file was
    // left by a writer that was killed.
    const QFileInfo info(m_filePath);
    QDir folder = info.absoluteDir();
    const QString pattern = QStringLiteral(".") + info.fileName() + QStringLiteral(".??????");
    for (const QString& name : folder.entryList({pattern}, QDir::Files | QDir::Hidden))
        folder.remove(name);
    m_tempFilesRemoved = true;
}

std::optional<QByteArray> RegistryStore::ReadFile(bool& tooLarge) const
{
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return file.exists() ? std::nullopt : std::optional(QByteArray());
    // Read no further than the limit, also when the file grows meanwhile.
    QByteArray bytes = file.size() > kMaxFileSize ? QByteArray() : file.read(kMaxFileSize + 1);
    tooLarge = file.size() > kMaxFileSize || bytes.size() > kMaxFileSize;
    if (tooLarge)
        return std::nullopt;
    return bytes;
}
