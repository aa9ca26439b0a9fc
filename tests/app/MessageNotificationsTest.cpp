#include "app/MessageNotifications.h"
#include "messages/CIncomingMessagesDialog.h"
#include "platform/DesktopId.h"
#include "platform/FreedesktopNotifier.h"
#include "preferences/PreferencesWindow.h"
#include "prefs/CRegistry.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"
#include "ui/DialogBuilder.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Stands in for the desktop's notification server: records every Notify and CloseNotification.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QList<QVariantList> calls; // appName, icon, summary, body, actions, hints, replaces_id, id
    QList<uint> closed;

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int)
    {
        const uint id = replacesId != 0 ? replacesId : static_cast<uint>(calls.size()) + 101;
        calls.append({appName, icon, summary, body, actions, hints, replacesId, id});
        return id;
    }
    void CloseNotification(uint id) { closed.append(id); }
};

class MessageNotificationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Never the desktop's own bus, where a real server answers.
        if (qEnvironmentVariable("PELLWICK_PRIVATE_BUS") != u"1")
            GTEST_SKIP() << "runs on a session bus of its own (PRIVATE_BUS in CMakeLists.txt)";
        ASSERT_TRUE(serverBus.isConnected() && QDBusConnection::sessionBus().isConnected());
    }
    void TearDown() override { QDBusConnection::disconnectFromBus(u"server"_s); }

    void Serve()
    {
        ASSERT_TRUE(serverBus.registerObject(u"/org/freedesktop/Notifications"_s, &server,
                                             QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(serverBus.registerService(u"org.freedesktop.Notifications"_s));
    }

    void Receive(const QString& sender, const QString& text)
    {
        window.AddMessage(sender, text);
        QCoreApplication::processEvents();
    }

    QDBusConnection serverBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"server"_s);
    NotificationServer server;
    QTemporaryDir dir;
    CRegistry registry{dir.filePath(u"registry.reg"_s)};
    CIncomingMessagesDialog window{registry};
};

// Only a message in the background is notified, and only with notifications on. A burst from
// one sender updates one notification in place with the count; beyond a few senders the rest
// share one; the desktop is told a few times a second, the latest state last.
TEST_F(MessageNotificationsTest, ASendersMessagesShareOneNotificationAndAFloodIsPaced)
{
    Serve();
    FreedesktopNotifier notifier;
    MessageNotifications notifications(window, registry, notifier);
    // Through the Preferences window, kept hidden so that the other window stays in front.
    const auto setNotify = [&](bool on) {
        PreferencesWindow preferences(registry, u"/usr/bin/pellwick"_s);
        auto* notify = DialogBuilder::Control<QCheckBox>(&preferences, PreferencesWindow::IDC_NOTIFY);
        if (notify->isChecked() != on)
            notify->click();
        DialogBuilder::Control<QPushButton>(&preferences, PreferencesWindow::IDC_OK)->click();
    };
    window.ShowInFront();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    Receive(u"anna"_s, u"read at once"_s);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    setNotify(false);
    Receive(u"anna"_s, u"notifications off"_s);
    setNotify(true);
    QElapsedTimer timer;
    timer.start();
    for (int i = 1; i <= 3; ++i)
        Receive(u"anna"_s, u"<i>%1</i>"_s.arg(i));
    const int senders = MessageNotifications::kMaxSenders + 2;
    for (int i = 1; i < senders; ++i)
        Receive(u"user%1"_s.arg(i), u"hello"_s);
    const auto lastOf = [&](const QString& summary) {
        for (auto call = server.calls.crbegin(); call != server.calls.crend(); ++call)
            if ((*call)[2] == summary)
                return *call;
        return QVariantList();
    };
    ASSERT_TRUE(WaitFor([&] { return lastOf(u"2 more messages"_s).size() == 8; }, std::chrono::seconds(5)));
    ASSERT_TRUE(WaitFor([&] { return lastOf(u"anna"_s).value(3) == u"3 messages, the newest:\n&lt;i&gt;3&lt;/i&gt;"_s; }));
    EXPECT_EQ(lastOf(u"anna"_s)[6].toUInt(), 101u);
    EXPECT_EQ(server.calls.first().mid(0, 4), (QVariantList{u"Pellwick"_s, DesktopId(), u"anna"_s, u"&lt;i&gt;1&lt;/i&gt;"_s}));
    EXPECT_TRUE(server.calls.first()[4].toStringList().contains(u"default"_s));
    EXPECT_EQ(server.calls.first()[5].toMap(), (QVariantMap{{u"desktop-entry"_s, DesktopId()}}));
    EXPECT_EQ(server.calls.first()[6].toUInt(), 0u);
    const auto shown = [&] {
        QSet<uint> ids;
        for (const QVariantList& call : server.calls)
            ids.insert(call[7].toUInt());
        return ids.size();
    };
    ASSERT_TRUE(WaitFor([&] { return shown() == MessageNotifications::kMaxSenders + 1; }));
    QTest::qWait(100);
    EXPECT_EQ(shown(), MessageNotifications::kMaxSenders + 1);
    EXPECT_LE(server.calls.size(), (timer.elapsed() / 1000 + 1) * MessageNotifications::kShowsPerSecond);

    // Reading anna's second message closes hers, and only hers; a click on the shared one
    // shows the oldest message it tells of.
    window.ShowMessage(3);
    ASSERT_TRUE(WaitFor([&] { return server.closed.size() == 1; }));
    EXPECT_EQ(server.closed.first(), 101u);
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QDBusMessage invoked = QDBusMessage::createSignal(u"/org/freedesktop/Notifications"_s,
                                                      u"org.freedesktop.Notifications"_s, u"ActionInvoked"_s);
    ASSERT_TRUE(serverBus.send(invoked << lastOf(u"2 more messages"_s)[7].toUInt() << u"default"_s));
    ASSERT_TRUE(WaitFor([&] { return window.isActiveWindow(); }));
    EXPECT_EQ(window.ShownLine(), 5 + MessageNotifications::kMaxSenders - 1);
}

TEST_F(MessageNotificationsTest, WithoutAServerTheMessageIsShownAndNothingWaits)
{
    for (const bool withBus : {true, false}) {
        SCOPED_TRACE(withBus ? "bus without a server" : "no bus");
        FreedesktopNotifier notifier(withBus ? QDBusConnection::sessionBus() : QDBusConnection(QString()));
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
