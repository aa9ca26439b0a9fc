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
#include <sys/resource.h>
#include <thread>

// The listener reads on its own thread and hands each record to the windows' thread.
TEST(LookupThreadTest, HandsOnEachRecordInOrderAndStopsAtOnceIdleFloodedOrBeforeItRuns)
{
    const auto msToStop = [](CLookupThread& listener) {
        QElapsedTimer timer;
        timer.start();
        listener.Stop();
        return timer.elapsed();
    };
    RecordingAlertSink alerts;
    CMailslotTransport transport(alerts, LoopbackEndpoints());
    ASSERT_TRUE(transport.IsOpen());
    RecordingReceiver received;
    transport.Received().SetHandler(&received);
    const std::vector<RecordingReceiver::Received>& chat = received.chat;
    ASSERT_TRUE(transport.Send(MessagePacket::Make(PACKET_CHAT, u"0", u"ivan")));
    {
        CLookupThread early(transport);
        early.Stop();
        ASSERT_TRUE(early.Start());
        early.Stop();
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(chat.size(), 0u); // a stop before the thread runs reads nothing
    }
    {
        CLookupThread listener(transport);
        ASSERT_TRUE(listener.Start());
        for (int i = 0; i < 3; ++i) { // the record left waiting first
            if (i > 0) {
                ASSERT_TRUE(transport.Send(MessagePacket::Make(PACKET_CHAT, QString::number(i), u"ivan")));
            }
            ASSERT_TRUE(WaitFor([&] { return chat.size() == static_cast<std::size_t>(i + 1); }));
            EXPECT_EQ(chat.back().packet.Text(), QString::number(i));
        }
        EXPECT_LT(msToStop(listener), 100);
    }

    std::atomic<bool> flooding{true};
    std::thread flood([&] {
        RawDatagram raw;
        for (int i = 3; flooding; ++i) {
            const MessagePacket packet = MessagePacket::Make(PACKET_CHAT, QString::number(i), u"olga");
            raw.Send(transport.Port(), &packet, sizeof packet);
        }
    });
    CLookupThread listener(transport);
    ASSERT_TRUE(listener.Start());
    ASSERT_TRUE(WaitFor([&] { return chat.size() > 1000; }));
    EXPECT_LT(msToStop(listener), 100);
    flooding = false;
    flood.join();
    // What the socket's buffer could hold arrived whole and in order.
    for (std::size_t i = 1; i < chat.size(); ++i)
        ASSERT_LT(chat[i - 1].packet.Text().toInt(), chat[i].packet.Text().toInt()) << i;
}

// A wait that fails (here: more descriptors than the process may have) is said once; the
// listener rests and goes on, and hears what came meanwhile once waiting works again.
TEST(LookupThreadTest, AFailingWaitIsSaidOnceAndTheListenerRecovers)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizers' own runtime fails without descriptors to spare";
#endif
    static QStringList said;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { said << text; });
    RecordingAlertSink alerts;
    CMailslotTransport transport(alerts, LoopbackEndpoints());
    RecordingReceiver received;
    transport.Received().SetHandler(&received);
    CLookupThread listener(transport);
    ASSERT_TRUE(listener.Start());
    ASSERT_TRUE(transport.Send(MessagePacket::Make(PACKET_CHAT, u"before", u"ivan")));
    ASSERT_TRUE(WaitFor([&] { return received.chat.size() == 1; }));

    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    const rlimit starved{1, limit.rlim_max};
    setrlimit(RLIMIT_NOFILE, &starved);
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // no event loop: it would fail too
    ASSERT_TRUE(transport.Send(MessagePacket::Make(PACKET_CHAT, u"meanwhile", u"ivan")));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    setrlimit(RLIMIT_NOFILE, &limit);
    EXPECT_TRUE(WaitFor([&] { return received.chat.size() == 2; }));
    listener.Stop();
    qInstallMessageHandler(previous);
    EXPECT_EQ(said.filter(QStringLiteral("cannot wait")).size(), 1) << said.join(u'\n').toStdString();
}
