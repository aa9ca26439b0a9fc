#include "net/MessagePacket.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(MessagePacketTest, IsByteForByteTheWireLayoutWithEachFieldCutToItsWidthWrittenOrRead)
{
    const MessagePacket packet = MessagePacket::Make(PACKET_MESSAGE, u"Привет!", u"ivan", u"All");

    QByteArray golden(364, '\0');
    golden.replace(0, 7, QByteArray::fromHex("cff0e8e2e5f221")); // Windows-1251, then NUL fill
    golden.replace(260, 4, "ivan");
    golden.replace(310, 3, "All");
    golden.replace(360, 4, QByteArray::fromHex("01000000")); // little-endian type
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&packet), sizeof packet), golden);

    for (const int length : {259, 260, 1000}) {
        const MessagePacket cut = MessagePacket::Make(PACKET_CHAT, QString(length, u'я'), u"", u"");
        EXPECT_EQ(cut.Text(), QString(259, u'я')) << length;
        const QByteArray rest(reinterpret_cast<const char*>(&cut) + 259, 105);
        EXPECT_EQ(rest, QByteArray(105, '\0')) << length; // the NUL, and nothing in the next fields
    }
    const MessagePacket names = MessagePacket::Make(PACKET_MESSAGE, u"", QString(50, u's'), QString(100, u'r'));
    EXPECT_EQ(names.Sender(), QString(49, u's'));
    EXPECT_EQ(names.Recipient(), QString(49, u'r'));
    EXPECT_EQ(names.type, PACKET_MESSAGE);

    MessagePacket noNul; // read from the wire: no NUL anywhere in the record
    noNul.text.fill('t');
    noNul.sender.fill('s');
    noNul.recipient.fill('r');
    noNul.type = 0x74747474;
    EXPECT_EQ(noNul.Text(), QString(260, u't'));
    EXPECT_EQ(noNul.Sender(), QString(50, u's'));
    EXPECT_EQ(noNul.Recipient(), QString(50, u'r'));
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
    const std::tuple<const char16_t*, const char16_t*, bool> cases[] = {
        {u"olga", u"ivan", true},  {u"ivan", u"ivan", true},  {u"olga", u"All", true},  {u"ivan", u"All", false},
        {u"olga", u"petr", false}, {u"olga", u"Ivan", false}, {u"olga", u"all", false}, {u"olga", u"ivan ", false},
    };
    for (const auto& [sender, recipient, forMe] : cases)
        EXPECT_EQ(MessagePacket::Make(PACKET_MESSAGE, u"hi", sender, recipient).IsForUser("ivan"), forMe)
            << QString::fromUtf16(sender).toStdString() << " to " << QString::fromUtf16(recipient).toStdString();

    // A long own name, cut to 49 bytes on both sides, still matches.
    const MessagePacket toLong = MessagePacket::Make(PACKET_MESSAGE, u"hi", u"olga", QString(70, u'д'));
    EXPECT_TRUE(toLong.IsForUser(QByteArray(49, '\xE4')));
}
