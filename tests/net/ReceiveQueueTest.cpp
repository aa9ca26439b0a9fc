#include "net/ReceiveQueue.h"
#include "support/QtPrinters.h"
#include "support/RecordingReceiver.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class ReceiveQueueTest : public ::testing::Test {
protected:
    void SetUp() override { m_queue.SetTargets({&m_chat, &m_incoming, &m_main, &m_tray}); }

    bool DeliverAll()
    {
        // A hundred thousand records take a while in the sanitizer builds.
        return WaitFor([&] { return m_queue.Waiting() == 0; }, std::chrono::seconds(60));
    }

    static MessagePacket Line(int i) { return MessagePacket::Make(PACKET_CHAT, QString::number(i), u"olga"); }

    ReceiveQueue m_queue;
    RecordingReceiver m_chat, m_incoming, m_main, m_tray;
};

} // namespace

TEST_F(ReceiveQueueTest, WaitingPresenceKeepsOnlyTheNewestPerSenderAndKnownSendersWaitForTheTick)
{
    m_queue.PushPresence(MessagePacket::Make(PACKET_PRESENCE, u"1", u"olga"), false);
    m_queue.PushPresence(MessagePacket::Make(PACKET_PRESENCE, u"1", u"petr"), false);
    m_queue.PushPresence(MessagePacket::Make(PACKET_CHAT_PRESENCE, u"1", u"olga"), true);
    m_queue.PushPresence(MessagePacket::Make(PACKET_PRESENCE, u"2", u"olga"), false);
    m_queue.PushPresence(MessagePacket::Make(PACKET_PRESENCE, u"2", u"Olga"), false); // names keep their case
    EXPECT_EQ(m_queue.Waiting(), 4u);
    ASSERT_TRUE(DeliverAll()); // new senders wake the windows

    QStringList seen;
    for (const auto& event : m_main.Events())
        seen.append(event.packet.Sender() + u' ' + event.packet.Text() + u' ' + QString::number(event.lParam));
    EXPECT_EQ(seen,
              (QStringList{QStringLiteral("olga 2 0"), QStringLiteral("petr 1 0"), QStringLiteral("olga 1 1"),
                           QStringLiteral("Olga 2 0")}));

    // A sender seen before waits for the next tick, or for a record that wakes the windows.
    m_queue.PushPresence(MessagePacket::Make(PACKET_PRESENCE, u"3", u"olga"), false);
    WaitFor([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(m_main.Count(), 4u);
    m_queue.DeliverWaiting();
    EXPECT_EQ(m_main.Count(), 5u);
    m_queue.PushPresence(MessagePacket::Make(PACKET_PRESENCE, u"4", u"olga"), false);
    m_queue.PushChatLine(Line(0));
    ASSERT_TRUE(DeliverAll());
    EXPECT_EQ(m_main.Events().back().packet.Text(), QStringLiteral("4"));
}

TEST_F(ReceiveQueueTest, AboveTheCapTheOldestChatLinesGoButNoPrivateMessage)
{
    const int extra = 25;
    const int lines = static_cast<int>(ReceiveQueue::kMaxWaiting) + extra;
    for (int i = 0; i < lines; ++i) {
        m_queue.PushChatLine(Line(i));
        m_queue.PushMessage(MessagePacket::Make(PACKET_MESSAGE, QString::number(i), u"olga", u"All"), i == 0);
    }
    ASSERT_TRUE(DeliverAll());

    ASSERT_EQ(m_chat.Count(), ReceiveQueue::kMaxWaiting);
    EXPECT_EQ(m_chat.Events().front().packet.Text(), QString::number(extra));
    EXPECT_EQ(m_chat.Events().back().packet.Text(), QString::number(lines - 1));
    ASSERT_EQ(m_incoming.Count(), static_cast<std::size_t>(lines));
    EXPECT_EQ(m_incoming.Events().back().packet.Text(), QString::number(lines - 1));
    EXPECT_EQ(m_tray.Count(), 1u);
}

TEST_F(ReceiveQueueTest, RecordsPushedFromAnotherThreadArriveWholeAndInOrder)
{
    constexpr int kLines = 20'000;
    std::thread listener([this] {
        for (int i = 0; i < kLines; ++i) {
            m_queue.PushChatLine(Line(i));
            m_queue.PushPresence(MessagePacket::Make(PACKET_PRESENCE, u"x", QString::number(i % 100)), false);
        }
    });
    const bool all = WaitFor([&] { return m_chat.Count() == kLines; }, std::chrono::seconds(30));
    listener.join();
    ASSERT_TRUE(all);
    ASSERT_TRUE(DeliverAll());
    for (int i = 0; i < kLines; i += 997)
        ASSERT_EQ(m_chat.Events()[static_cast<std::size_t>(i)].packet.Text(), QString::number(i));
    EXPECT_GE(m_main.Count(), 100u);
    EXPECT_LE(m_main.Count(), static_cast<std::size_t>(kLines));
}
