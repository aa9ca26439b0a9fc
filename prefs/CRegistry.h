#pragma once

#include "platform/ConfigPaths.h"
#include "platform/RegistryStore.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <utility>

// The program's one way into its registry hive. Every operation builds the full path
// "SOFTWARE\" + company + "\" + product + "\" + path (the company part left out when it is
// empty), whose last component names a value inside the key before it, and answers true
// (1) for success or false (0) for failure. A write holds at once for the whole run; the file
// follows in the background, and a file that cannot be written is reported once, to the alerts
// given (see RegistryStore).
//
// The company travels with each call, so threads that use different companies at the same
// time never write under each other's. Text is the program's ANSI text: what cannot be
// written in Windows-1251 is stored as '?', and reads see at most 256 bytes, as the
// program's fixed buffers do. All operations are safe from several threads.
class AlertSink;

class CRegistry {
public:
    explicit CRegistry(QString filePath = ConfigPaths::RegistryFile());

    // The alerts must outlive this registry.
    void ReportWriteFailuresTo(AlertSink& alerts);

    // Stores the text (up to a NUL in it) as a string value, creating missing keys.
    bool WriteString(QStringView company, QStringView product, QStringView path, QStringView text);
    // Stores several texts, each given with its path, in one write of the file: all of them, or
    // none when any one fails.
    bool WriteStrings(QStringView company, QStringView product, const QList<std::pair<QString, QString>>& values);
    // Removes the values of the paths, those that exist, in one write of the file.
    bool DeleteValues(QStringView company, QStringView product, const QStringList& paths);
    // Stores the number as its decimal text.
    bool WriteNumber(QStringView company, QStringView product, QStringView path, std::int32_t number);
    // Whether the key of the path, the part before its last backslash, exists. The value
    // itself is not looked at.
    bool KeyExists(QStringView company, QStringView product, QStringView path);
    // A string value up to its first NUL, or a DWORD as its signed decimal text. On failure
    // the text is left alone, except for binary data ("Binary data") and other types
    // ("Can't convert to string"), which are written into it although the answer is false.
    bool ReadString(QStringView company, QStringView product, QStringView path, QString& text);
    // ReadString's text read as atol does: blanks, a sign, the digits up to the first other
    // character (0 when there are none), held at the limits of 32 bits. On failure the
    // number is left alone.
    bool ReadNumber(QStringView company, QStringView product, QStringView path, std::int32_t& number);
    // Waits until what was written so far is in the file; false when that failed.
    bool Flush() { return m_store.Flush(); }

private:
    RegistryStore m_store;
};
