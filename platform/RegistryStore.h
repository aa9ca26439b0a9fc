#pragma once

#include "platform/RegistryHive.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <chrono>
#include <mutex>
#include <optional>

// The HKEY_CURRENT_USER hive kept in one .reg file. Every call looks at the file first, so a
// change made by hand, or by another process of the same user, is taken. Every change is
// written atomically under a lock on "<file>.lock" that other processes, also on machines
// that share the home folder, respect; a lock not had within kLockWait fails the write. A file
// that is damaged (no registry file, cut short, lines that cannot be read) is copied to
// "<file>.bad", replacing an older one, and written afresh with what could be read; a file
// larger than kMaxFileSize, far above anything the program writes, is moved there unread.
// All calls are safe from several threads.
class RegistryStore {
public:
    static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
    static constexpr std::chrono::milliseconds kLockWait{2000};

    struct Write {
        QString keyPath;
        QString name;
        RegistryValue value;
    };

    explicit RegistryStore(QString filePath);

    bool KeyExists(QStringView keyPath);
    std::optional<RegistryValue> Value(QStringView keyPath, QStringView name);
    // Creates missing keys and stores the value. False when the key path cannot be held or
    // the file cannot be written; then nothing changed, in the file or here.
    bool SetValue(QStringView keyPath, QStringView name, const RegistryValue& value);
    // The same for several values in one write of the file: all of them are stored, or none.
    bool SetValues(const QList<Write>& writes);

private:
    class FileLock;

    // Takes the file's content when it changed since it was last read or written. A damaged
    // file is read again under the file lock (held, or taken here) and then set aside.
    // False when the file exists but cannot be read: it must not be written over then.
    bool Refresh(FileLock* held);
    void SetAside(const QByteArray& damaged);
    // Removes temporary files that writers killed halfway left behind. Needs the file lock.
    void RemoveTempFiles();
    // Empty for a missing file, nothing for one that cannot be read; tooLarge is set (and
    // nothing read) for a file over kMaxFileSize.
    std::optional<QByteArray> ReadFile(bool& tooLarge) const;
    // Moves the file to "<file>.bad" unread; false when it stays where it is.
    bool SetAsideTooLarge();

    const QString m_filePath;
    std::mutex m_mutex;
    bool m_loaded = false;
    bool m_tempFilesRemoved = false;
    QByteArray m_fileBytes; // what the file held when it was last read or written
    RegistryHive m_hive;
};
