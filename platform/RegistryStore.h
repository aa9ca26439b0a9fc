#pragma once

#include "platform/RegistryHive.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

struct stat;

// The HKEY_CURRENT_USER hive kept in one .reg file. Reads are answered from memory; the file is
// read again only when its size, times or inode show that it changed (by hand, or by another
// process of the same user). A change holds in memory at once and is written by the store's own
// thread, so no caller ever waits for the file's lock or the disk: atomically, under a lock on
// "<file>.lock" that other processes, also on machines that share the home folder, respect.
// A write that fails (the lock still held after kLockWait, a full disk, a read-only file or
// folder) leaves the file as it was and keeps the changes in memory; it is tried again, less
// often as it keeps failing, and the first failure is reported. A damaged file (no registry
// file, cut short, lines that cannot be read) is copied to "<file>.bad", replacing an older
// one, and written afresh with what could be read; a file larger than kMaxFileSize, far above
// anything the program writes, is moved there unread. All calls are safe from several threads.
class RegistryStore {
public:
    static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
    static constexpr std::chrono::milliseconds kLockWait{2000};
    static constexpr std::chrono::milliseconds kFirstRetry{1000};
    static constexpr std::chrono::milliseconds kLongestRetry{30000};

    struct Write {
        QString keyPath;
        QString name;
        RegistryValue value;
        bool remove = false; // removes the value instead
        bool operator==(const Write&) const = default;
    };

    enum class WriteFailure { LockHeld, ReadOnlyFile, DiskFull, NotWritable, Unreadable, Other };
    // Called on the store's thread, never from the destructor.
    using FailureReport = std::function<void(WriteFailure)>;

    explicit RegistryStore(QString filePath);
    // Writes what is still waiting, waiting at most kLockWait for the lock.
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    const QString& FilePath() const { return m_filePath; }
    // The first write that fails in this store's life is reported here.
    void ReportFailureTo(FailureReport report);

    bool KeyExists(QStringView keyPath);
    std::optional<RegistryValue> Value(QStringView keyPath, QStringView name);
    // Creates missing keys and stores the value; the file follows. False, and nothing changed,
    // when the key path cannot be held.
    bool SetValue(QStringView keyPath, QStringView name, const RegistryValue& value);
    // The same for several values, which reach the file in one write: all of them (stored or
    // removed), or none.
    bool SetValues(const QList<Write>& writes);
    // Waits until what was set so far is in the file (true) or the next try to write it failed.
    // For whoever must look at the file itself; the destructor writes by itself.
    bool Flush();

private:
    class FileLock;

    // What identifies one version of the file on disk; all zero for a missing file.
    struct FileStamp {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modified = 0; // nanoseconds
        qint64 changed = 0;
        bool operator==(const FileStamp&) const = default;
    };
    struct FileContent {
        FileStamp stamp;
        QByteArray bytes; // empty for a missing file
        bool readable = true;
        bool readOnly = false;
        bool tooLarge = false; // over kMaxFileSize, not read
    };

    static FileStamp StampOf(const struct stat& status);
    FileStamp StampNow() const;
    FileContent ReadFile() const;
    // Takes the file's content when it changed on disk. Needs m_mutex.
    void Refresh();
    // The file's hive with the waiting changes on top. Needs m_mutex.
    void Overlay();
    // Starts the writer or wakes it. Needs m_mutex.
    void WakeWriter();
    bool HasWork() const { return !m_pending.isEmpty() || m_bRepairWanted; }
    void WriterLoop();
    // Brings the file up to date with changes under its lock; nothing when it was written.
    std::optional<WriteFailure> WriteOut(const QList<Write>& changes);
    bool SetAsideTooLarge() const;
    // Removes temporary files that writers killed halfway left behind. Needs the file lock.
    void RemoveTempFiles();

    const QString m_filePath;
    std::mutex m_mutex;
    std::condition_variable m_wake; // work for the writer, or the end
    std::condition_variable m_tried; // the writer finished a try
    std::thread m_writer;
    bool m_bStop = false;
    bool m_bRetryNow = false; // someone flushes: no pause before the next try
    quint64 m_failures = 0;
    bool m_loaded = false;
    bool m_bRepairWanted = false; // a reader found the file damaged or too large
    bool m_tempFilesRemoved = false;
    FileStamp m_stamp; // of the file as last read or written
    RegistryHive m_fileHive; // what the file held then
    QList<Write> m_pending; // changes not yet in the file, each key and name once
    RegistryHive m_hive; // m_fileHive with m_pending on top: what callers see
    FailureReport m_report;
    bool m_bFailureReported = false;
};
