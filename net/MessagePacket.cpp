#include "net/MessagePacket.h"

#include "platform/Windows1251.h"

#include <QHashFunctions>

#include <cstring>

namespace {

template <std::size_t Width> QByteArrayView FieldBytes(const std::array<char, Width>& field)
{
    return QByteArrayView(field.data(), static_cast<qsizetype>(strnlen(field.data(), Width)));
}

template <std::size_t Width> QString FieldText(const std::array<char, Width>& field)
{
    return Windows1251::Decode(field.data(), Width);
}

} // namespace

MessagePacket MessagePacket::Make(quint32 type, QStringView text, QStringView sender, QStringView recipient)
{
    MessagePacket packet;
    Windows1251::EncodeInto(text, packet.text.data(), kTextWidth);
    Windows1251::EncodeInto(sender, packet.sender.data(), kNameWidth);
    Windows1251::EncodeInto(recipient, packet.recipient.data(), kNameWidth);
    packet.type = type;
    return packet;
}

QString MessagePacket::Text() const
{
    return FieldText(text);
}

QString MessagePacket::Sender() const
{
    return FieldText(sender);
}

QString MessagePacket::Recipient() const
{
    return FieldText(recipient);
}

bool MessagePacket::SameContent(const MessagePacket& other) const
{
    return type == other.type && FieldBytes(text) == FieldBytes(other.text)
        && FieldBytes(sender) == FieldBytes(other.sender) && FieldBytes(recipient) == FieldBytes(other.recipient);
}

std::size_t MessagePacket::ContentHash() const
{
    return qHashMulti(0, quint32(type), FieldBytes(text), FieldBytes(sender), FieldBytes(recipient));
}

bool MessagePacket::IsForUser(const QByteArray& ownName) const
{
    const QByteArrayView to = FieldBytes(recipient);
    if (to == ownName)
        return true;
    return to == QByteArrayView("All") && FieldBytes(sender) != ownName;
}

std::optional<MessagePacket> MessagePacket::FromBytes(QByteArrayView bytes)
{
    MessagePacket packet;
    if (static_cast<std::size_t>(bytes.size()) != sizeof packet)
        return std::nullopt;
    std::memcpy(&packet, bytes.data(), sizeof packet);
    if (packet.type > PACKET_CHAT_PRESENCE)
        return std::nullopt;
    return packet;
}

QByteArray MessagePacket::Bytes() const
{
    return {reinterpret_cast<const char*>(this), sizeof *this};
}
