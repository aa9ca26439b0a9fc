#include "platform/MailslotDatagram.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace MailslotDatagram {

namespace {

    // NetBIOS datagram service: message types, and the flags of a single, unfragmented datagram
    // from a broadcast ("B") node.
    constexpr quint8 kDirectUnique = 0x10;
    constexpr quint8 kDirectGroup = 0x11;
    constexpr quint8 kBroadcast = 0x12;
    constexpr quint8 kFirstFragment = 0x02;
    constexpr quint8 kMoreFragments = 0x01;
    constexpr std::size_t kDatagramHeader = 14;
    constexpr std::size_t kEncodedNameLength = 32;

    // The SMB transaction of a mailslot write, offsets from the start of its SMB header.
    constexpr char kSmbProtocol[] = "\xFFSMB";
    constexpr quint8 kSmbComTransaction = 0x25;
    constexpr quint8 kWordCount = 17; // 14 transaction words and 3 setup words
    constexpr std::size_t kWordCountAt = 32;
    constexpr std::size_t kTotalDataCountAt = 35;
    constexpr std::size_t kDataCountAt = 55;
    constexpr std::size_t kDataOffsetAt = 57;
    constexpr std::size_t kSetupCountAt = 59;
    constexpr std::size_t kSetupAt = 61;
    constexpr std::size_t kByteCountAt = 67;
    constexpr std::size_t kNameAt = 69;
    constexpr quint16 kMailslotWrite = 1;
    constexpr quint16 kUnreliableBroadcast = 2;

    constexpr char kMailslotName[] = "\\MAILSLOT\\forall";
    constexpr std::size_t kMailslotNameSize = sizeof kMailslotName; // with its NUL

    // The name in first-level encoding (each half byte as a letter 'A'..'P'), as one label of
    // 32 bytes, then the empty label that ends a name without a scope.
    void AppendEncodedName(QByteArray& out, const QByteArray& name16)
    {
        out += static_cast<char>(kEncodedNameLength);
        for (const char c : name16) {
            const auto byte = static_cast<quint8>(c);
            out += static_cast<char>('A' + (byte >> 4));
            out += static_cast<char>('A' + (byte & 0x0F));
        }
        out += '\0';
    }

    // Moves pos past one encoded name (its labels and the empty one that ends it) inside end.
    bool SkipName(const quint8* data, std::size_t end, std::size_t& pos)
    {
        for (bool first = true;; first = false) {
            if (pos >= end)
                return false;
            const std::size_t length = data[pos++];
            if (length == 0)
                return !first;
            // 64 and up are compression pointers, which a datagram never carries.
            if (length > 63 || (first && length != kEncodedNameLength) || end - pos < length)
                return false;
            pos += length;
        }
    }

    bool IsMailslotName(const quint8* name, std::size_t available)
    {
        if (available < kMailslotNameSize)
            return false;
        for (std::size_t i = 0; i < kMailslotNameSize; ++i) {
            const auto a = static_cast<char>(name[i]);
            const char b = kMailslotName[i];
            const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
            if (lower(a) != lower(b))
                return false;
        }
        return true;
    }

} // namespace

QByteArray NetBiosName(QByteArrayView name, char suffix)
{
    QByteArray out = name.first(std::min<qsizetype>(name.size(), 15)).toByteArray().toUpper();
    out.append(15 - out.size(), ' ');
    out += suffix;
    return out;
}

QByteArray Encode(const Origin& origin, const void* record)
{
    QByteArray out;
    out.reserve(600);
    out.resize(kDatagramHeader, '\0');
    auto* header = reinterpret_cast<uchar*>(out.data());
    header[0] = kDirectGroup;
    header[1] = kFirstFragment;
    qToBigEndian<quint16>(origin.datagramId, header + 2);
    qToBigEndian<quint32>(origin.sourceAddress, header + 4);
    qToBigEndian<quint16>(origin.sourcePort, header + 8);
    AppendEncodedName(out, NetBiosName(origin.sourceName));
    AppendEncodedName(out, NetBiosName(origin.groupName));

    QByteArray smb(kNameAt, '\0');
    auto* s = reinterpret_cast<uchar*>(smb.data());
    std::memcpy(s, kSmbProtocol, 4);
    s[4] = kSmbComTransaction;
    s[kWordCountAt] = kWordCount;
    const quint16 dataOffset = kNameAt + kMailslotNameSize;
    qToLittleEndian<quint16>(kRecordSize, s + kTotalDataCountAt);
    qToLittleEndian<quint16>(kRecordSize, s + kDataCountAt);
    qToLittleEndian<quint16>(dataOffset, s + kDataOffsetAt);
    s[kSetupCountAt] = 3;
    qToLittleEndian<quint16>(kMailslotWrite, s + kSetupAt);
    qToLittleEndian<quint16>(kUnreliableBroadcast, s + kSetupAt + 4);
    qToLittleEndian<quint16>(kMailslotNameSize + kRecordSize, s + kByteCountAt);
    smb.append(kMailslotName, kMailslotNameSize);
    smb.append(static_cast<const char*>(record), kRecordSize);

    out += smb;
    qToBigEndian<quint16>(static_cast<quint16>(out.size() - kDatagramHeader), out.data() + 10);
    return out;
}

bool Decode(const char* bytes, std::size_t size, void* record)
{
    const auto* data = reinterpret_cast<const quint8*>(bytes);
    if (size < kDatagramHeader)
        return false;
    const quint8 type = data[0];
    if (type != kDirectUnique && type != kDirectGroup && type != kBroadcast)
        return false;
    if ((data[1] & (kFirstFragment | kMoreFragments)) != kFirstFragment || qFromBigEndian<quint16>(data + 12) != 0)
        return false;
    const std::size_t end = kDatagramHeader + qFromBigEndian<quint16>(data + 10);
    if (end > size)
        return false;

    std::size_t pos = kDatagramHeader;
    if (!SkipName(data, end, pos) || !SkipName(data, end, pos))
        return false;
    if (end - pos < kNameAt)
        return false;
    const quint8* smb = data + pos;
    const std::size_t smbSize = end - pos;
    if (std::memcmp(smb, kSmbProtocol, 4) != 0 || smb[4] != kSmbComTransaction || smb[kWordCountAt] != kWordCount
        || smb[kSetupCountAt] != 3 || qFromLittleEndian<quint16>(smb + kSetupAt) != kMailslotWrite)
        return false;
    if (!IsMailslotName(smb + kNameAt, smbSize - kNameAt))
        return false;
    const std::size_t dataCount = qFromLittleEndian<quint16>(smb + kDataCountAt);
    const std::size_t dataOffset = qFromLittleEndian<quint16>(smb + kDataOffsetAt);
    if (dataCount != kRecordSize || dataOffset < kNameAt + kMailslotNameSize || dataOffset > smbSize
        || smbSize - dataOffset < kRecordSize)
        return false;
    std::memcpy(record, smb + dataOffset, kRecordSize);
    return true;
}

} // namespace MailslotDatagram
