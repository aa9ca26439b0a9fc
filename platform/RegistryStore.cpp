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
#include <sys/stat.h>
#include <unistd.h>

namespace {

RegistryStore::WriteFailure FailureOf(int error)
{
    using enum RegistryStore::WriteFailure;
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return DiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
        return NotWritable;
    default:
        return Other;
    }
}

// Stores or removes the written value; false for a path the hive cannot hold.
bool Apply(RegistryHive& hive, const RegistryStore::Write& write)
{
    if (!write.remove)
        return hive.SetValue(write.keyPath, write.name, write.value);
    hive.RemoveValue(write.keyPath, write.name);
    return true;
}

bool SameItem(const RegistryStore::Write& a, const RegistryStore::Write& b)
{
    return a.keyPath.compare(b.keyPath, Qt::CaseInsensitive) == 0 && a.name.compare(b.name, Qt::CaseInsensitive) == 0;
}

} // namespace

// An exclusive lock on the lock file beside the store, waited for at most kLockWait, so that
// a program that holds it for longer (a hung editor, a stale NFS lock) fails one write instead
// of holding every later one up. Open file description locks belong to the open file, not the
// process, so two stores in one process exclude each other as well; over NFS they travel as
// ordinary POSIX locks.
class RegistryStore::FileLock {
public:
    explicit FileLock(const QString& storePath)
    {
        const QFileInfo info(storePath);
        if (!QDir().mkpath(info.absolutePath())) {
            m_failure = WriteFailure::NotWritable;
            return;
        }
        const QByteArray path = QFile::encodeName(info.absoluteFilePath() + QStringLiteral(".lock"));
        m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) {
            m_failure = FailureOf(errno);
            return;
        }
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        const auto end = std::chrono::steady_clock::now() + kLockWait;
        std::chrono::milliseconds pause(1);
        while (::fcntl(m_fd, F_OFD_SETLK, &lock) != 0) {
            const bool busy = errno == EAGAIN || errno == EACCES || errno == EINTR;
            if (!busy || std::chrono::steady_clock::now() >= end) {
                m_failure = busy ? WriteFailure::LockHeld : FailureOf(errno);
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

    // Nothing once the lock is held.
    std::optional<WriteFailure> Failure() const { return m_fd >= 0 ? std::nullopt : std::optional(m_failure); }

private:
    int m_fd = -1;
    WriteFailure m_failure = WriteFailure::Other;
};

RegistryStore::RegistryStore(QString filePath)
    : m_filePath(std::move(filePath))
{
}

RegistryStore::~RegistryStore()
{
    {
        const std::lock_guard guard(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    if (m_writer.joinable())
        m_writer.join();
}

void RegistryStore::ReportFailureTo(FailureReport report)
{
    const std::lock_guard guard(m_mutex);
    m_report = std::move(report);
}

bool RegistryStore::KeyExists(QStringView keyPath)
{
    const std::lock_guard guard(m_mutex);
    Refresh();
    return m_hive.KeyExists(keyPath);
}

std::optional<RegistryValue> RegistryStore::Value(QStringView keyPath, QStringView name)
{
    const std::lock_guard guard(m_mutex);
    Refresh();
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
    Refresh();
    RegistryHive changed = m_hive;
    for (const Write& write : writes) {
        if (!Apply(changed, write))
            return false;
    }
    m_hive = std::move(changed);
    for (const Write& write : writes) {
        m_pending.removeIf([&write](const Write& waiting) { return SameItem(waiting, write); });
        m_pending.append(write);
    }
    WakeWriter();
    return true;
}

void RegistryStore::WakeWriter()
{
    if (m_writer.joinable())
        m_wake.notify_all();
    else
        m_writer = std::thread(&RegistryStore::WriterLoop, this);
}

bool RegistryStore::Flush()
{
    std::unique_lock guard(m_mutex);
    const quint64 failures = m_failures;
    m_bRetryNow = true;
    m_wake.notify_all();
    m_tried.wait(guard, [&] { return !HasWork() || m_failures != failures; });
    return !HasWork();
}

RegistryStore::FileStamp RegistryStore::StampOf(const struct stat& status)
{
    return {static_cast<quint64>(status.st_dev),
            static_cast<quint64>(status.st_ino),
            static_cast<qint64>(status.st_size),
            status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec,
            status.st_ctim.tv_sec * 1000000000LL + status.st_ctim.tv_nsec};
}

RegistryStore::FileStamp RegistryStore::StampNow() const
{
    struct stat status = {};
    return ::stat(QFile::encodeName(m_filePath).constData(), &status) == 0 ? StampOf(status) : FileStamp();
}

RegistryStore::FileContent RegistryStore::ReadFile() const
{
    FileContent content;
    const QByteArray path = QFile::encodeName(m_filePath);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        content.readable = errno == ENOENT;
        return content;
    }
    struct stat status = {};
    content.readable = ::fstat(fd, &status) == 0;
    content.stamp = StampOf(status);
    // Root may write anything; a file without write permission is still the user's "keep it".
    content.readOnly = (status.st_mode & S_IWUSR) == 0 || ::access(path.constData(), W_OK) != 0;
    content.tooLarge = status.st_size > kMaxFileSize;
    // Read no further than the limit, also when the file grows meanwhile.
    char buffer[65536];
    while (content.readable && !content.tooLarge) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            content.readable = n == 0;
            break;
        }
        content.bytes.append(buffer, n);
        content.tooLarge = content.bytes.size() > kMaxFileSize;
    }
    ::close(fd);
    if (content.tooLarge)
        content.bytes.clear();
    return content;
}

void RegistryStore::Refresh()
{
    if (m_loaded && StampNow() == m_stamp)
        return;
    const FileContent content = ReadFile();
    m_stamp = content.stamp;
    m_loaded = true;
    if (!content.readable)
        return; // keep what was read before; the writer will not write over it either
    RegistryFile::Parsed parsed = RegistryFile::Parse(content.bytes);
    // A missing or empty-and-never-written file is simply an empty hive.
    if (content.tooLarge || (!content.bytes.isEmpty() && !parsed.IsWhole())) {
        m_bRepairWanted = true;
        WakeWriter();
    }
    m_fileHive = std::move(parsed.hive);
    Overlay();
}

void RegistryStore::Overlay()
{
    m_hive = m_fileHive;
    for (const Write& write : m_pending)
        Apply(m_hive, write);
}

void RegistryStore::WriterLoop()
{
    std::unique_lock guard(m_mutex);
    std::chrono::milliseconds retry{0}; // zero while writes succeed
    for (;;) {
        // A wait on the system clock: libstdc++ waits on the steady clock with
        // pthread_cond_clockwait, which ThreadSanitizer does not know, so it would take the
        // mutex held again after the wait for no mutex at all. A clock step only moves a retry.
        if (retry.count() > 0)
            m_wake.wait_until(guard, std::chrono::system_clock::now() + retry,
                              [this] { return m_bStop || m_bRetryNow; });
        else
            m_wake.wait(guard, [this] { return m_bStop || HasWork(); });
        if (!HasWork())
            return; // stopped with nothing left to write
        const bool last = m_bStop;
        const QList<Write> changes = m_pending;
        guard.unlock();
        const std::optional<WriteFailure> failure = WriteOut(changes);
        guard.lock();
        m_bRetryNow = false;
        m_failures += failure ? 1 : 0;
        m_tried.notify_all();
        if (!failure) {
            retry = {};
            continue;
        }
        qCInfo(lcPrefs) << "settings file not written:" << m_filePath << static_cast<int>(*failure);
        if (last || m_bStop)
            return;
        retry = retry.count() > 0 ? std::min(retry * 2, kLongestRetry) : kFirstRetry;
        if (m_report && !m_bFailureReported)
            m_report(*failure);
        m_bFailureReported = true;
    }
}

std::optional<RegistryStore::WriteFailure> RegistryStore::WriteOut(const QList<Write>& changes)
{
    const FileLock lock(m_filePath);
    if (lock.Failure())
        return lock.Failure();
    if (!m_tempFilesRemoved)
        RemoveTempFiles();
    FileContent content = ReadFile();
    if (!content.readable)
        return WriteFailure::Unreadable; // what it holds must not be written over
    if (content.readOnly)
        return WriteFailure::ReadOnlyFile;
    if (content.tooLarge && !SetAsideTooLarge())
        return FailureOf(errno);
    RegistryFile::Parsed parsed = RegistryFile::Parse(content.bytes);
    const bool damaged = !content.bytes.isEmpty() && !parsed.IsWhole();
    if (damaged && !AtomicFile::Write(m_filePath + QStringLiteral(".bad"), content.bytes))
        return FailureOf(errno);
    RegistryHive hive = std::move(parsed.hive);
    for (const Write& write : changes)
        Apply(hive, write);
    const QByteArray bytes = RegistryFile::Format(hive);
    if (content.tooLarge || bytes != content.bytes) {
        if (!AtomicFile::Write(m_filePath, bytes))
            return FailureOf(errno);
        content.stamp = StampNow();
    }

    const std::lock_guard guard(m_mutex);
    m_stamp = content.stamp;
    m_loaded = true;
    m_bRepairWanted = false;
    m_fileHive = std::move(hive);
    m_pending.removeIf([&changes](const Write& waiting) { return changes.contains(waiting); });
    Overlay();
    return std::nullopt;
}

bool RegistryStore::SetAsideTooLarge() const
{
    qCInfo(lcPrefs) << "settings file over" << kMaxFileSize << "bytes set aside:" << m_filePath;
    const QByteArray from = QFile::encodeName(m_filePath);
    const QByteArray to = QFile::encodeName(m_filePath + QStringLiteral(".bad"));
    return ::rename(from.constData(), to.constData()) == 0;
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
