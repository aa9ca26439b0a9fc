#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QtEndian>

#include <array>
#include <cstddef>
#include <optional>

enum PacketType : quint32 {
    PACKET_CHAT = 0,
    PACKET_MESSAGE = 1,
    PACKET_PRESENCE = 2,
    PACKET_CHAT_PRESENCE = 3,
};

// The one record on the wire: 364 bytes, no header, no padding. Text fields carry
// Windows-1251 bytes ended by a NUL inside their width; the bytes after the NUL mean nothing.
// A field that a peer filled to its width without a NUL is read up to its width.
struct MessagePacket {
    static constexpr std::size_t kTextWidth = 260;
    static constexpr std::size_t kNameWidth = 50;

    std::array<char, kTextWidth> text{};
    std::array<char, kNameWidth> sender{};
    std::array<char, kNameWidth> recipient{};
    quint32_le type{0};

    // A zero-filled record with the given fields, each cut to its width less the NUL.
    static MessagePacket Make(quint32 type, QStringView text, QStringView sender, QStringView recipient = {});
    // A record that came other than as a datagram (through the relay's broker): taken when it
    // is one whole record of a known type, as the listener takes one from the wire.
    static std::optional<MessagePacket> FromBytes(QByteArrayView bytes);
    QByteArray Bytes() const;

    QString Text() const;
    QString Sender() const;
    QString Recipient() const;

    // Equal strings (up to their NULs) and equal type: the listener's repeat test.
    bool SameContent(const MessagePacket& other) const;
    // Equal for records of the same content (in the sense of SameContent).
    std::size_t ContentHash() const;

    // A private message is for this copy when it names the own user, or "All" and came from
    // somebody else. ownName is the own name in its Windows-1251 form.
    bool IsForUser(const QByteArray& ownName) const;
};

static_assert(sizeof(MessagePacket) == 364);
static_assert(offsetof(MessagePacket, text) == 0);
static_assert(offsetof(MessagePacket, sender) == 260);
static_assert(offsetof(MessagePacket, recipient) == 310);
static_assert(offsetof(MessagePacket, type) == 360);
static_assert(std::is_trivially_copyable_v<MessagePacket>);
