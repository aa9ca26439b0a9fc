#include "net/ReceiveQueue.h"
#include "support/QtPrinters.h"
#include "support/RecordingReceiver.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

namespace {

class ReceiveQueueTest : public ::testing::Test {
protected:
    void SetUp() override { m_queue.SetHandler(&m_received); }

    // Fifty thousand records take a while in the sanitizer builds.
    bool DeliverAll()
    {
        return WaitFor([&] { return m_queue.Waiting() == 0; }, std::chrono::seconds(60));
    }

    void Presence(const char16_t* text, const char16_t* sender, bool chat = false, quint32 from = kHere)
    {
        m_queue.PushPresence(MessagePacket::Make(chat ? PACKET_CHAT_PRESENCE : PACKET_PRESENCE, text, sender), chat,
                             from);
    }

    static constexpr quint32 kHere = 0x7f000001;

    ReceiveQueue m_queue;
    RecordingReceiver m_received;
};

} // namespace

TEST_F(ReceiveQueueTest, WaitingPresenceKeepsOnlyTheNewestPerSenderAndKnownSendersWaitForTheTick)
{
    Presence(u"1", u"olga");
    Presence(u"1", u"petr");
    Presence(u"1", u"olga", true);
    Presence(u"2", u"olga");
    Presence(u"2", u"Olga"); // names keep their case
    Presence(u"1", u"petr", false, 0x0a000002); // one name from two computers: both are kept
    EXPECT_EQ(m_queue.Waiting(), 5u);
    ASSERT_TRUE(DeliverAll()); // new senders wake the windows
    QStringList seen;
    for (const auto& event : m_received.presence)
        seen.append(event.packet.Sender() + u' ' + event.packet.Text() + u' ' + QString::number(event.flag));
    EXPECT_EQ(seen,
              (QStringList{QStringLiteral("olga 2 0"), QStringLiteral("petr 1 0"), QStringLiteral("olga 1 1"),
                           QStringLiteral("Olga 2 0"), QStringLiteral("petr 1 0")}));
    EXPECT_EQ(m_received.presence.back().from, 0x0a000002u);

    // A sender seen before waits for the next tick, or for a record that wakes the windows.
    Presence(u"3", u"olga");
    WaitFor([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(m_received.presence.size(), 5u);
    m_queue.DeliverWaiting();
    EXPECT_EQ(m_received.presence.size(), 6u);
    Presence(u"4", u"olga");
    m_queue.PushChatLine(MessagePacket::Make(PACKET_CHAT, u"wakes", u"olga"), kHere);
    ASSERT_TRUE(DeliverAll());
    EXPECT_EQ(m_received.presence.back().packet.Text(), QStringLiteral("4"));
}

TEST_F(ReceiveQueueTest, AboveTheCapsTheOldestChatLinesAndMessagesGoAndTheDroppedMessagesAreTold)
{
    const int extra = 25;
    const int lines = static_cast<int>(ReceiveQueue::kMaxWaiting) + extra;
    const int messages = static_cast<int>(ReceiveQueue::kMaxMessages) + extra;
    for (int i = 0; i < lines; ++i) {
        m_queue.PushChatLine(MessagePacket::Make(PACKET_CHAT, QString::number(i), u"olga"), kHere);
        if (i < messages)
            m_queue.PushMessage(MessagePacket::Make(PACKET_MESSAGE, QString::number(i), u"olga", u"All"), i == extra,
                                kHere);
    }
    ASSERT_TRUE(DeliverAll());

    ASSERT_EQ(m_received.chat.size(), ReceiveQueue::kMaxWaiting);
    EXPECT_EQ(m_received.chat.front().packet.Text(), QString::number(extra));
    EXPECT_EQ(m_received.chat.back().packet.Text(), QString::number(lines - 1));
    ASSERT_EQ(m_received.incoming.size(), ReceiveQueue::kMaxMessages);
    EXPECT_EQ(m_received.incoming.front().packet.Text(), QString::number(extra));
    EXPECT_EQ(m_received.incoming.back().packet.Text(), QString::number(messages - 1));
    EXPECT_EQ(m_received.Unnoticed(), 1u);
    EXPECT_EQ(m_received.droppedMessages, static_cast<std::uint64_t>(extra));
}
