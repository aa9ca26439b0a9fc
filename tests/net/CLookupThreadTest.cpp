#include "net/CLookupThread.h"
#include "net/CMailslotTransport.h"
#include "support/LoopbackEndpoints.h"
#include "support/RawDatagram.h"
#include "support/RecordingAlertSink.h"
#include "support/RecordingReceiver.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <atomic>
#include <thread>

namespace {

qint64 MsToStop(CLookupThread& listener)
{
    QElapsedTimer timer;
    timer.start();
    listener.Stop();
    return timer.elapsed();
}

class LookupThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_transport.IsOpen());
        m_transport.SetTargets({&m_chat, &m_chat, &m_chat, &m_chat, nullptr});
    }

    RecordingAlertSink m_alerts;
    CMailslotTransport m_transport{m_alerts, LoopbackEndpoints()};
    RecordingReceiver m_chat;
};

} // namespace

TEST_F(LookupThreadTest, HandsOnEachRecordAsItArrivesAndStopsAtOnceIdleOrFlooded)
{
    {
        CLookupThread idle(m_transport);
        ASSERT_TRUE(idle.Start());
        EXPECT_LT(MsToStop(idle), 100);
    }
    CLookupThread listener(m_transport);
    ASSERT_TRUE(listener.Start());
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(m_transport.Send(MessagePacket::Make(PACKET_CHAT, QString::number(i), u"ivan")));
        ASSERT_TRUE(WaitFor([&] { return m_chat.Count() == static_cast<std::size_t>(i + 1); }));
        EXPECT_EQ(m_chat.Events().back().packet.Text(), QString::number(i));
    }

    std::atomic<bool> flooding{true};
    std::thread flood([&] {
        RawDatagram raw;
        for (int i = 0; flooding; ++i) {
            const MessagePacket packet = MessagePacket::Make(PACKET_CHAT, QString::number(i), u"olga");
            raw.Send(m_transport.Port(), &packet, sizeof packet);
        }
    });
    ASSERT_TRUE(WaitFor([&] { return m_chat.Count() > 100; }));
    EXPECT_LT(MsToStop(listener), 100);
    listener.Stop(); // a second Stop is harmless
    flooding = false;
    flood.join();
}

TEST_F(LookupThreadTest, AStopBeforeTheThreadRunsReadsNothing)
{
    ASSERT_TRUE(m_transport.Send(MessagePacket::Make(PACKET_CHAT, u"waiting", u"ivan")));
    CLookupThread listener(m_transport);
    listener.Stop();
    ASSERT_TRUE(listener.Start());
    listener.Stop();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(m_chat.Count(), 0u);
    m_transport.ReadPending(); // the record was left waiting
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(m_chat.Count(), 1u);
}
