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

namespace {

// A session bus of the test's own, with no service activation, so nothing on the machine
// answers for org.freedesktop.Notifications.
class PrivateSessionBus {
public:
    PrivateSessionBus()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            return;
        QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
        if (!config.open(QIODevice::WriteOnly))
            return;
        config.write("<busconfig><type>session</type><listen>unix:dir=" + m_dir.path().toUtf8()
                     + "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                       "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                       "<allow own=\"*\"/></policy></busconfig>");
        config.close();
        // fork and exec rather than QProcess: ThreadSanitizer follows a plain fork, but not the
        // clone that QProcess uses, and then mistakes later locking for races.
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return;
        const QByteArray program = daemon.toLocal8Bit();
        const QByteArray configArg = "--config-file=" + config.fileName().toLocal8Bit();
        m_pid = fork();
        if (m_pid == 0) {
            dup2(pipeFds[1], STDOUT_FILENO);
            execl(program.constData(), program.constData(), "--nofork", "--print-address", configArg.constData(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        QFile output;
        if (m_pid > 0 && output.open(pipeFds[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            m_address = QString::fromUtf8(output.readLine().trimmed());
    }
    ~PrivateSessionBus()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }

    const QString& Address() const { return m_address; }

private:
    QTemporaryDir m_dir;
    pid_t m_pid = -1;
    QString m_address;
};

struct NotifyCall {
    QString appName;
    QString icon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
};

// Stands in for the desktop's notification server: records every Notify.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    std::vector<NotifyCall> calls;

public Q_SLOTS:
    uint Notify(const QString& appName, uint /*replacesId*/, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int /*timeout*/)
    {
        calls.push_back({appName, icon, summary, body, actions, hints});
        return static_cast<uint>(calls.size()) + 100;
    }
};

class MessageNotificationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (bus.Address().isEmpty())
            GTEST_SKIP() << "no private D-Bus session bus (dbus-daemon from the package dbus)";
        serverBus = QDBusConnection::connectToBus(bus.Address(), QStringLiteral("server"));
        clientBus = QDBusConnection::connectToBus(bus.Address(), QStringLiteral("client"));
        ASSERT_TRUE(serverBus.isConnected() && clientBus.isConnected());
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("server"));
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    }

    void StartServer()
    {
        ASSERT_TRUE(serverBus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
                                             QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(serverBus.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }

    void Receive(const QString& sender, const QString& text)
    {
        QCoreApplication::postEvent(&window,
                                    new PacketEvent(MessagePacket::Make(PACKET_MESSAGE, text, sender, u"bob")));
        QCoreApplication::processEvents();
    }

    void InvokeDefaultAction(uint id)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                         QStringLiteral("org.freedesktop.Notifications"),
                                                         QStringLiteral("ActionInvoked"));
        signal << id << QStringLiteral("default");
        ASSERT_TRUE(serverBus.send(signal));
    }

    PrivateSessionBus bus;
    QDBusConnection serverBus{QString()};
    QDBusConnection clientBus{QString()};
    NotificationServer server;
    QTemporaryDir dir;
    CRegistry registry{dir.filePath(QStringLiteral("registry.reg"))};
    std::atomic<bool> active{false};
    CIncomingMessagesDialog window{registry, active};
    QWidget other;
};

TEST_F(MessageNotificationsTest, AMessageInTheBackgroundIsNotifiedAndItsActionShowsThatMessage)
{
    StartServer();
    FreedesktopNotifier notifier(clientBus);
    MessageNotifications notifications(window, registry, notifier);

    Receive(QStringLiteral("anna"), QStringLiteral("<b>first</b> & more"));
    Receive(QStringLiteral("carl"), QStringLiteral("second"));
    ASSERT_TRUE(WaitFor([&] { return server.calls.size() == 2; }));

    const NotifyCall& first = server.calls[0];
    EXPECT_EQ(first.appName, u"Pellwick");
    EXPECT_EQ(first.summary, u"anna");
    EXPECT_EQ(first.body, u"&lt;b&gt;first&lt;/b&gt; &amp; more");
    EXPECT_EQ(first.icon, DesktopId());
    EXPECT_EQ(first.hints.value(QStringLiteral("desktop-entry")).toString(), DesktopId());
    EXPECT_TRUE(first.actions.contains(u"default"));
    EXPECT_EQ(server.calls[1].summary, u"carl");

    // The window was hidden, so it shows the newest; the click on the first one pages back.
    InvokeDefaultAction(101);
    ASSERT_TRUE(WaitFor([&] { return window.isActiveWindow(); }));
    EXPECT_EQ(window.ShownLine(), 0);
    EXPECT_EQ(window.CounterText(), u"1 : 2");
}

TEST_F(MessageNotificationsTest, NothingIsNotifiedWhileTheWindowIsActiveOrNotifyIsZero)
{
    StartServer();
    FreedesktopNotifier notifier(clientBus);
    MessageNotifications notifications(window, registry, notifier);

    window.ShowInFront();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    Receive(QStringLiteral("anna"), QStringLiteral("read at once"));

    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    registry.WriteNumber(u"Ravelstone", u"Pellwick", u"Preferences\\Incoming Message Dialog\\Notify", 0);
    Receive(QStringLiteral("anna"), QStringLiteral("notifications off"));
    registry.WriteNumber(u"Ravelstone", u"Pellwick", u"Preferences\\Incoming Message Dialog\\Notify", 1);
    Receive(QStringLiteral("anna"), QStringLiteral("notifications on"));

    // Calls reach the server in order: once the last one is there, no earlier one is coming.
    ASSERT_TRUE(WaitFor([&] { return !server.calls.empty(); }));
    ASSERT_EQ(server.calls.size(), 1u);
    EXPECT_EQ(server.calls[0].body, u"notifications on");
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
        Receive(QStringLiteral("anna"), QStringLiteral("hello"));
        EXPECT_LT(timer.elapsed(), 1000);
        EXPECT_EQ(window.GetCount(), before + 1);
        QTest::qWait(100); // the failed reply comes back and is dropped
    }
}

} // namespace

#include "MessageNotificationsTest.moc"
