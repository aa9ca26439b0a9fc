#pragma once

#include <QString>

// The login name of the process's real user, cut so that its Windows-1251 form (the form it
// takes in a packet's name fields) is at most 49 bytes, and given back in that cut form, so
// that a name read from a packet compares equal to it. Empty when the user cannot be looked up.
// Looked up once, at the first call (a name cannot change while the process runs, and with a
// directory service behind the password database every look-up may be a network call); safe
// from any thread.
QString GetOwnUserName();

// Makes GetOwnUserName return name for as long as it lives (tests stand in for other users).
class OwnUserNameOverride {
public:
    explicit OwnUserNameOverride(const QString& name);
    ~OwnUserNameOverride();
    OwnUserNameOverride(const OwnUserNameOverride&) = delete;
    OwnUserNameOverride& operator=(const OwnUserNameOverride&) = delete;
};
