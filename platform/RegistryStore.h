#pragma once

#include "platform/RegistryHive.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <mutex>
#include <optional>

// The HKEY_CURRENT_USER hive kept in one .reg file. Every call looks at the file first, so a
// change made by hand, or by another process of the same user, is taken. Every change is
// written atomically under a lock on "<file>.lock" that other processes, also on machines
// that share the home folder, respect. A file that is damaged (no registry file, cut short,
// lines that cannot be read) is copied to "<file>.bad", replacing an older one, and written
// afresh with what could be read. All calls are safe from several threads.
class RegistryStore {
public:
    explicit RegistryStore(QString filePath);

    bool KeyExists(QStringView keyPath);
    std::optional<RegistryValue> Value(QStringView keyPath, QStringView name);
    // Creates missing keys and stores the value. False when the key path cannot be held or
    // the file cannot be written; then nothing changed, in the file or here.
    bool SetValue(QStringView keyPath, QStringView name, const RegistryValue& value);

private:
    class FileLock;

    // Takes the file's content when it changed since it was last read or written. A damaged
    // file is read again under the file lock (held, or taken here) and then set aside.
    // False when the file exists but cannot be read: it must not be written over then.
    bool Refresh(FileLock* held);
    void SetAside(const QByteArray& damaged);
    // Removes temporary files that writers killed halfway left behind. Needs the file lock.
    void RemoveTempFiles();
    // Empty for a missing file, nothing for one that cannot be read.
    std::optional<QByteArray> ReadFile() const;

    const QString m_filePath;
    std::mutex m_mutex;
    bool m_loaded = false;
    bool m_tempFilesRemoved = false;
    QByteArray m_fileBytes; // what the file held when it was last read or written
    RegistryHive m_hive;
};
