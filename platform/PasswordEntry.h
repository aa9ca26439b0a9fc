#pragma once

#include <QString>

#include <optional>

// The process's real user as the password database knows it (local files, LDAP, SSSD...).
struct PasswordEntry {
    QString loginName;
    QString homeFolder;
};

// Empty when the user cannot be looked up.
std::optional<PasswordEntry> OwnPasswordEntry();
