#pragma once

#include "platform/RegistryValue.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <utility>

// The keys of one hive in the order they were created, each with its values in the order
// they were first set. Names compare without regard to case and keep the case they were
// created with, as the registry does. Paths are relative to the hive ("SOFTWARE\Ravelstone");
// the empty path is the hive's root key, which always exists.
class RegistryHive {
public:
    struct Key {
        QString path;
        QList<std::pair<QString, RegistryValue>> values;
        QHash<QString, qsizetype> valueIndex; // case-folded name -> position in values
    };

    bool KeyExists(QStringView path) const;
    // Null when the key or the value does not exist.
    const RegistryValue* Value(QStringView keyPath, QStringView name) const;

    // Creates the key and every missing key above it. False for a path the store cannot
    // hold: an empty component, a component over 255 characters, or a line break or NUL.
    bool CreateKey(QStringView path);
    // Creates the key as above and stores the value, replacing one of the same name.
    bool SetValue(QStringView keyPath, QStringView name, RegistryValue value);
    // Removes the value if it is there; the key stays.
    void RemoveValue(QStringView keyPath, QStringView name);

    const QList<Key>& Keys() const { return m_keys; }
    bool IsEmpty() const { return m_keys.isEmpty(); }

private:
    static bool IsValidKeyPath(QStringView path);
    static bool IsValidValueName(QStringView name);
    qsizetype IndexOf(QStringView path) const; // -1 when there is no such key
    Key* Find(QStringView path);
    const Key* Find(QStringView path) const;
    Key& Create(QStringView path);
    static qsizetype IndexOfValue(const Key& key, QStringView name); // -1 when there is none

    QList<Key> m_keys;
    QHash<QString, qsizetype> m_index; // case-folded path -> position in m_keys
};
