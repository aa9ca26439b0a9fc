#include "app/MessageNotifications.h"
#include "messages/CIncomingMessagesDialog.h"
#include "net/PacketEvent.h"
#include "platform/DesktopId.h"
#include "platform/FreedesktopNotifier.h"
#include "prefs/CRegistry.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A session bus of the test's own, with no service activation, so nothing on the machine
// answers for org.freedesktop.Notifications. Its daemon starts with fork and exec rather than
// QProcess, whose clone ThreadSanitizer does not follow.
class PrivateSessionBus {
public:
    PrivateSessionBus()
    {
        const QByteArray daemon = QStandardPaths::findExecutable(u"dbus-daemon"_s).toLocal8Bit();
        QFile config(m_dir.filePath(u"bus.conf"_s));
        int output[2];
        if (daemon.isEmpty() || !config.open(QIODevice::WriteOnly) || pipe(output) != 0)
            return;
        config.write("<busconfig><type>session</type><listen>unix:dir=" + m_dir.path().toUtf8()
                     + "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
                       "eavesdrop=\"true\"/>"
                       "<allow eavesdrop=\"true\"/>"
                       "<allow own=\"*\"/></policy></busconfig>");
        config.close();
        const QByteArray configArgument = "--config-file=" + config.fileName().toLocal8Bit();
        m_pid = fork();
        if (m_pid == 0) {
            dup2(output[1], STDOUT_FILENO);
            execl(daemon.constData(), daemon.constData(), "--nofork", "--print-address", configArgument.constData(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(output[1]);
        QFile address;
        if (m_pid > 0 && address.open(output[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            m_address = QString::fromUtf8(address.readLine().trimmed());
    }
    ~PrivateSessionBus()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }

    QTemporaryDir m_dir;
    pid_t m_pid = -1;
    QString m_address;
};

// Stands in for the desktop's notification server: records every Notify.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QList<QVariantList> calls; // appName, icon, summary, body, actions, hints

public Q_SLOTS:
    uint Notify(const QString& appName, uint, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int)
    {
        calls.append({appName, icon, summary, body, actions, hints});
        return static_cast<uint>(calls.size()) + 100;
    }
};

class MessageNotificationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (bus.m_address.isEmpty())
            GTEST_SKIP() << "no private D-Bus session bus (dbus-daemon from the package dbus)";
        serverBus = QDBusConnection::connectToBus(bus.m_address, u"server"_s);
        clientBus = QDBusConnection::connectToBus(bus.m_address, u"client"_s);
        ASSERT_TRUE(serverBus.isConnected() && clientBus.isConnected());
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(u"server"_s);
        QDBusConnection::disconnectFromBus(u"client"_s);
    }

    void StartServer()
    {
        ASSERT_TRUE(
            serverBus.registerObject(u"/org/freedesktop/Notifications"_s, &server, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(serverBus.registerService(u"org.freedesktop.Notifications"_s));
    }

    void Receive(const QString& sender, const QString& text)
    {
        QCoreApplication::postEvent(&window,
                                    new PacketEvent(MessagePacket::Make(PACKET_MESSAGE, text, sender, u"bob")));
        QCoreApplication::processEvents();
    }

    PrivateSessionBus bus;
    QDBusConnection serverBus{QString()};
    QDBusConnection clientBus{QString()};
    NotificationServer server;
    QTemporaryDir dir;
    CRegistry registry{dir.filePath(u"registry.reg"_s)};
    std::atomic<bool> active{false};
    CIncomingMessagesDialog window{registry, active};
};

TEST_F(MessageNotificationsTest, AMessageInTheBackgroundIsNotifiedAndItsActionShowsThatMessage)
{
    StartServer();
    FreedesktopNotifier notifier(clientBus);
    MessageNotifications notifications(window, registry, notifier);

    Receive(u"anna"_s, u"<b>first</b> & more"_s);
    Receive(u"carl"_s, u"second"_s);
    ASSERT_TRUE(WaitFor([&] { return server.calls.size() == 2; }));
    const QVariantMap hints{{u"desktop-entry"_s, DesktopId()}};
    EXPECT_EQ(server.calls[0].mid(0, 4),
              (QVariantList{u"Pellwick"_s, DesktopId(), u"anna"_s, u"&lt;b&gt;first&lt;/b&gt; &amp; more"_s}));
    EXPECT_TRUE(server.calls[0][4].toStringList().contains(u"default"_s));
    EXPECT_EQ(server.calls[0][5].toMap(), hints);
    EXPECT_EQ(server.calls[1][2], u"carl"_s);

    // The window was hidden, so it shows the newest; the click on the first one pages back.
    QDBusMessage invoked = QDBusMessage::createSignal(u"/org/freedesktop/Notifications"_s,
                                                      u"org.freedesktop.Notifications"_s, u"ActionInvoked"_s);
    ASSERT_TRUE(serverBus.send(invoked << 101u << u"default"_s));
    ASSERT_TRUE(WaitFor([&] { return window.isActiveWindow(); }));
    EXPECT_EQ(window.ShownLine(), 0);
    EXPECT_EQ(window.CounterText(), u"1 : 2");
}

TEST_F(MessageNotificationsTest, NothingIsNotifiedWhileTheWindowIsActiveOrNotifyIsZero)
{
    StartServer();
    FreedesktopNotifier notifier(clientBus);
    MessageNotifications notifications(window, registry, notifier);
    const auto setNotify = [&](int on) {
        registry.WriteNumber(u"Ravelstone", u"Pellwick", u"Preferences\\Incoming Message Dialog\\Notify", on);
    };

    window.ShowInFront();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    Receive(u"anna"_s, u"read at once"_s);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    setNotify(0);
    Receive(u"anna"_s, u"notifications off"_s);
    setNotify(1);
    Receive(u"anna"_s, u"notifications on"_s);

    // Calls reach the server in order: once the last one is there, no earlier one is coming.
    ASSERT_TRUE(WaitFor([&] { return !server.calls.empty(); }));
    ASSERT_EQ(server.calls.size(), 1);
    EXPECT_EQ(server.calls[0][3], u"notifications on"_s);
    EXPECT_EQ(window.GetCount(), 3);
}

// With no notification server on the bus, or no bus at all, the message is still shown and
// nothing waits for an answer.
TEST_F(MessageNotificationsTest, WithoutAServerTheMessageIsShownAndNothingWaits)
{
    for (const bool withBus : {true, false}) {
        SCOPED_TRACE(withBus ? "bus without a server" : "no bus");
        FreedesktopNotifier notifier(withBus ? clientBus : QDBusConnection(QString()));
        MessageNotifications notifications(window, registry, notifier);
        const int before = window.GetCount();
        QElapsedTimer timer;
        timer.start();
        Receive(u"anna"_s, u"hello"_s);
        EXPECT_LT(timer.elapsed(), 1000);
        EXPECT_EQ(window.GetCount(), before + 1);
        QTest::qWait(100); // the failed reply comes back and is dropped
    }
}

} // namespace

#include "MessageNotificationsTest.moc"
