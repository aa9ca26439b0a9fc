#include "net/MessagePacket.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

QByteArray Bytes(const MessagePacket& packet)
{
    return QByteArray(reinterpret_cast<const char*>(&packet), sizeof packet);
}

} // namespace

TEST(MessagePacketTest, IsByteForByteTheWireLayout)
{
    const MessagePacket packet = MessagePacket::Make(PACKET_MESSAGE, u"Привет!", u"ivan", u"All");

    QByteArray golden(364, '\0');
    golden.replace(0, 7, QByteArray::fromHex("cff0e8e2e5f221")); // Windows-1251, then NUL fill
    golden.replace(260, 4, "ivan");
    golden.replace(310, 3, "All");
    golden.replace(360, 4, QByteArray::fromHex("01000000")); // little-endian type
    EXPECT_EQ(Bytes(packet), golden);

    MessagePacket back;
    std::memcpy(&back, golden.constData(), sizeof back);
    EXPECT_EQ(back.Text(), QStringLiteral("Привет!"));
    EXPECT_EQ(back.Sender(), QStringLiteral("ivan"));
    EXPECT_EQ(back.Recipient(), QStringLiteral("All"));
    EXPECT_EQ(back.type, PACKET_MESSAGE);
}

TEST(MessagePacketTest, LongInputIsCutAtItsFieldAndNeverTouchesTheNext)
{
    for (const int length : {259, 260, 1000}) {
        const MessagePacket packet = MessagePacket::Make(PACKET_CHAT, QString(length, u'я'), u"", u"");
        EXPECT_EQ(packet.Text(), QString(259, u'я')) << length;
        EXPECT_EQ(packet.text[259], '\0') << length;
        EXPECT_EQ(Bytes(packet).mid(260), QByteArray(104, '\0')) << length;
    }
    for (const int length : {49, 50, 100}) {
        const MessagePacket packet
            = MessagePacket::Make(PACKET_MESSAGE, u"", QString(length, u's'), QString(length, u'r'));
        EXPECT_EQ(packet.Sender(), QString(49, u's')) << length;
        EXPECT_EQ(packet.Recipient(), QString(49, u'r')) << length;
        EXPECT_EQ(packet.sender[49], '\0');
        EXPECT_EQ(packet.recipient[49], '\0');
        EXPECT_EQ(packet.type, PACKET_MESSAGE);
    }
}

TEST(MessagePacketTest, AFieldWithoutNulIsReadUpToItsWidthOnly)
{
    MessagePacket packet;
    packet.text.fill('t');
    packet.sender.fill('s');
    packet.recipient.fill('r');
    packet.type = 0x74747474; // no NUL anywhere in the record
    EXPECT_EQ(packet.Text(), QString(260, u't'));
    EXPECT_EQ(packet.Sender(), QString(50, u's'));
    EXPECT_EQ(packet.Recipient(), QString(50, u'r'));
}

TEST(MessagePacketTest, RepeatsCompareStringsUpToTheirNulsAndTheType)
{
    const MessagePacket a = MessagePacket::Make(PACKET_CHAT, u"hello", u"ivan");
    MessagePacket junkAfterNul = a;
    junkAfterNul.text[10] = 'x';
    junkAfterNul.sender[30] = 'y';
    junkAfterNul.recipient[5] = 'z';
    EXPECT_TRUE(a.SameContent(junkAfterNul));

    MessagePacket otherType = a;
    otherType.type = PACKET_MESSAGE;
    EXPECT_FALSE(a.SameContent(otherType));
    EXPECT_FALSE(a.SameContent(MessagePacket::Make(PACKET_CHAT, u"hello", u"Ivan")));
    EXPECT_FALSE(a.SameContent(MessagePacket::Make(PACKET_CHAT, u"hello!", u"ivan")));
    EXPECT_FALSE(a.SameContent(MessagePacket::Make(PACKET_CHAT, u"hello", u"ivan", u"x")));
}

TEST(MessagePacketTest, APrivateMessageIsForTheAddresseeOrForEverybodyButItsSender)
{
    const QByteArray me = "ivan";
    EXPECT_TRUE(MessagePacket::Make(PACKET_MESSAGE, u"hi", u"olga", u"ivan").IsForUser(me));
    EXPECT_TRUE(MessagePacket::Make(PACKET_MESSAGE, u"hi", u"ivan", u"ivan").IsForUser(me));
    EXPECT_TRUE(MessagePacket::Make(PACKET_MESSAGE, u"hi", u"olga", u"All").IsForUser(me));
    EXPECT_FALSE(MessagePacket::Make(PACKET_MESSAGE, u"hi", u"ivan", u"All").IsForUser(me));
    EXPECT_FALSE(MessagePacket::Make(PACKET_MESSAGE, u"hi", u"olga", u"petr").IsForUser(me));
    EXPECT_FALSE(MessagePacket::Make(PACKET_MESSAGE, u"hi", u"olga", u"Ivan").IsForUser(me));
    EXPECT_FALSE(MessagePacket::Make(PACKET_MESSAGE, u"hi", u"olga", u"all").IsForUser(me));
    EXPECT_FALSE(MessagePacket::Make(PACKET_MESSAGE, u"hi", u"olga", u"ivan ").IsForUser(me));

    // A long own name, cut to 49 bytes on both sides, still matches.
    const QString longName(70, u'д');
    const MessagePacket toLong = MessagePacket::Make(PACKET_MESSAGE, u"hi", u"olga", longName);
    EXPECT_TRUE(toLong.IsForUser(QByteArray(49, '\xE4')));
}
