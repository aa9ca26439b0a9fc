#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <cstddef>

// The mailslot datagram of Windows networks: one record written to the mailslot
// "\MAILSLOT\forall" of every machine of a workgroup is one NetBIOS datagram (DIRECT_GROUP,
// to UDP port 138 of the network's broadcast address) that carries an SMB transaction, a
// class 2 ("unreliable and broadcast") mailslot write whose data are the record's bytes.
namespace MailslotDatagram {

inline constexpr quint16 kPort = 138;
inline constexpr std::size_t kRecordSize = 364;

// Where a datagram comes from. Names are the computer's and the workgroup's, as Windows
// writes them (OemCodePage::NetBiosName): upper case in its OEM code page, at most 15 bytes.
struct Origin {
    quint32 sourceAddress = 0; // host byte order
    quint16 sourcePort = kPort;
    quint16 datagramId = 0;
    QByteArray sourceName;
    QByteArray groupName;
};

// The 16 bytes of a NetBIOS name: the name with its ASCII letters in upper case (other bytes
// as they are), cut to 15 bytes, padded with spaces, and the suffix byte.
QByteArray NetBiosName(QByteArrayView name, char suffix = 0);

// One datagram carrying the record (kRecordSize bytes).
QByteArray Encode(const Origin& origin, const void* record);

// Copies the record that the datagram carries into record (kRecordSize bytes) and answers
// true; false, leaving record alone, for anything that is not one whole mailslot write of a
// record to "\MAILSLOT\forall". Never reads outside the size bytes of data.
bool Decode(const char* data, std::size_t size, void* record);

} // namespace MailslotDatagram
