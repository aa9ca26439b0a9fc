#include "messages/SendToUser.h"
#include "messages/CIncomingMessagesDialog.h"
#include "messages/CMessageAppearanceDialog.h"
#include "messages/CSendMessageDialog.h"
#include "platform/OwnUserName.h"
#include "prefs/CRegistry.h"
#include "prefs/PreferencesLayout.h"
#include "session/MessengerSession.h"
#include "support/FileBytes.h"
#include "support/LoopbackEndpoints.h"
#include "support/QtPrinters.h"
#include "support/RawDatagram.h"
#include "support/RecordingAlertSink.h"
#include "support/TypeText.h"
#include "support/WaitFor.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// The user writes to herself on loopback: what went out comes back as a message. The machine
// starts without a network (its own presence still reaches itself) until a test brings it up.
class SendToUserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TransportEndpoints endpoints = LoopbackEndpoints();
        endpoints.networks = [this] {
            return networkUp ? std::vector<Ipv4Network>{{0x7F000001, 0x7FFFFFFF}} : std::vector<Ipv4Network>{};
        };
        session = std::make_unique<MessengerSession>(alerts, std::move(endpoints));
        QObject::connect(session.get(), &MessengerSession::MessageReceived,
                         [this](const QString&, const QString& text) { received << text; });
        road = std::make_unique<SendToUser>(registry, *session, &mainWnd);
        ASSERT_TRUE(session->Start());
        const MessagePacket presence = MessagePacket::Make(PACKET_PRESENCE, u"x", u"anna");
        RawDatagram().Send(session->Transport().Port(), &presence, sizeof presence);
        ASSERT_TRUE(WaitFor([&] { return session->IsListed(QStringLiteral("anna")); }));
    }

    // What came back once the sends had time to.
    QStringList Received()
    {
        WaitFor([] { return false; }, std::chrono::milliseconds(200));
        return received;
    }

    ~SendToUserTest() override { qDeleteAll(mainWnd.findChildren<QMessageBox*>()); }

    static CSendMessageDialog* Open() { return CSendMessageDialog::FirstInstance(); }

    // Opens the window for the addressee and types the text into it.
    void Write(const QString& addressee, const QString& text)
    {
        road->Open(addressee);
        ASSERT_TRUE(Open());
        TypeText(Open()->Edit(), text);
    }

    static void Click(int id, QWidget* dialog = Open())
    {
        dialog->findChild<QPushButton*>(QString::number(id))->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Opens the chooser of the appearance button, lets it choose and accepts.
    template <typename Chooser>
    static void Choose(QWidget* appearance, int id, const std::function<void(Chooser*)>& choose)
    {
        appearance->findChild<QPushButton*>(QString::number(id))->click();
        auto* chooser = appearance->findChild<Chooser*>();
        ASSERT_TRUE(chooser);
        choose(chooser);
        chooser->accept();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QByteArray Stored()
    {
        EXPECT_TRUE(registry.Flush());
        return FileBytes(dir.filePath(QStringLiteral("registry.reg")));
    }

    OwnUserNameOverride user{QStringLiteral("anna")};
    QTemporaryDir dir;
    CRegistry registry{dir.filePath(QStringLiteral("registry.reg"))};
    RecordingAlertSink alerts;
    bool networkUp = false;
    std::unique_ptr<MessengerSession> session;
    QStringList received;
    QWidget mainWnd;
    std::unique_ptr<SendToUser> road;
};

} // namespace

// A second request brings the open window forward; a message that could not go out, for want of
// a network or because nobody of exactly that name is listed ("ANNA" is not "anna", or the user
// has left), comes back with its text, and the user is told why.
TEST_F(SendToUserTest, OneWindowAtATimeKeepsItsTextUntilTheMessageGoesOut)
{
    Write(QStringLiteral("ANNA"), QStringLiteral("hi"));
    Click(CSendMessageDialog::IDOK);
    ASSERT_EQ(CSendMessageDialog::LiveCount(), 1);
    EXPECT_EQ(Open()->Edit()->toPlainText(), QStringLiteral("hi"));
    ASSERT_EQ(mainWnd.findChildren<QMessageBox*>().size(), 1);
    EXPECT_EQ(mainWnd.findChild<QMessageBox*>()->textFormat(), Qt::PlainText);
    Click(1005);

    Write(QStringLiteral("anna"), QStringLiteral("half"));
    CSendMessageDialog* first = Open();
    road->Open(QStringLiteral("All"));
    EXPECT_EQ(CSendMessageDialog::LiveCount(), 1);
    EXPECT_EQ(Open(), first);
    Click(CSendMessageDialog::IDOK);
    ASSERT_EQ(CSendMessageDialog::LiveCount(), 1);
    EXPECT_EQ(Open()->Edit()->toPlainText(), QStringLiteral("half"));
    EXPECT_EQ(alerts.Texts(), QStringList{QStringLiteral("Ошибка в работе сети.")});

    // Enter sends; Shift+Enter starts a line.
    networkUp = true;
    QTest::keyClick(Open()->Edit(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(Open()->Edit(), QStringLiteral("end"));
    QTest::keyClick(Open()->Edit(), Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Received(), QStringList{QStringLiteral("half\r\nend")});
    EXPECT_EQ(CSendMessageDialog::LiveCount(), 0);
}

// Close (Escape goes the same way) and an empty text send nothing and end the window.
TEST_F(SendToUserTest, CloseAndAnEmptyTextSendNothingAndEndTheWindow)
{
    const std::vector<std::pair<QString, std::function<void()>>> endings = {
        {QStringLiteral("typed"), [] { Click(1005); }},
        {QString(), [] { Click(CSendMessageDialog::IDOK); }},
    };
    for (const auto& [text, end] : endings) {
        Write(QStringLiteral("anna"), text);
        end();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(CSendMessageDialog::LiveCount(), 0) << text.toStdString();
    }
    EXPECT_TRUE(Received().isEmpty());
}

TEST_F(SendToUserTest, APastedTextIsHeldToWhatAMessageCarries)
{
    networkUp = true;
    // A paste in the middle keeps its beginning; a line break takes two bytes of the packet.
    Write(QStringLiteral("anna"), QStringLiteral("[]"));
    QPlainTextEdit* edit = Open()->Edit();
    edit->moveCursor(QTextCursor::Start);
    edit->moveCursor(QTextCursor::NextCharacter);
    edit->insertPlainText(QStringLiteral("a\n") + QString(300, QLatin1Char('b')));
    const QString text = edit->toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("[a\nbbb")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("b]")));
    EXPECT_EQ(MessengerSession::WireText(text).size(), MessengerSession::kMaxTextLength);
    EXPECT_TRUE(Open()->IsLimitNoticeShown());

    Click(CSendMessageDialog::IDOK);
    EXPECT_EQ(Received(), QStringList{MessengerSession::WireText(text)});
}

// Only OK stores the choices, and the open window takes them.
TEST_F(SendToUserTest, TheAppearanceIsStoredOnOkAndTakenByTheOpenWindow)
{
    PreferencesSendMessage stored;
    LoadPreferences(registry, stored); // the first load writes the defaults
    Write(QStringLiteral("anna"), QStringLiteral("half written"));
    const QByteArray before = Stored();
    const FontRecord styled{
        .height = -20, .weight = 700, .italic = true, .underline = true, .face = QStringLiteral("Liberation Serif")};
    for (bool ok : {false, true}) {
        Click(1011);
        auto* appearance = Open()->findChild<CMessageAppearanceDialog*>();
        ASSERT_TRUE(appearance);
        Choose<QColorDialog>(appearance, 1010, [](QColorDialog* chooser) { chooser->setCurrentColor(Qt::red); });
        Choose<QFontDialog>(appearance, 1012, [&](QFontDialog* chooser) { chooser->setCurrentFont(styled.ToQFont()); });
        Click(ok ? 1 : 2, appearance);
        EXPECT_EQ(Stored() == before, !ok);
        EXPECT_EQ(Open()->Edit()->palette().color(QPalette::Text) == QColor(Qt::red), ok);
    }
    LoadPreferences(registry, stored);
    EXPECT_EQ(stored.m_crText, ToColorRef(Qt::red));
    EXPECT_EQ(stored.m_fontText, styled);
    EXPECT_EQ(Open()->Edit()->font(), stored.m_fontText.ToQFont());
    EXPECT_EQ(Open()->Edit()->toPlainText(), QStringLiteral("half written"));
}

// Through the real windows of an X display with a window manager, keys typed as a user types
// them: Enter in Incoming Messages opens Send Message to the sender shown and Enter there sends.
TEST_F(SendToUserTest, OnX11EnterRepliesToTheSenderShownAndSends)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb")
        || QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("version")}) != 0)
        GTEST_SKIP() << "needs X11 with a window manager and xdotool (with-xvfb.sh, WITH_WM=1)";
    const auto key = [](const QStringList& keys) {
        QProcess::execute(QStringLiteral("xdotool"),
                          QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("20")} + keys);
    };
    networkUp = true;
    CIncomingMessagesDialog incoming(registry);
    QObject::connect(&incoming, &CIncomingMessagesDialog::ReplyRequested, road.get(), &SendToUser::Open);
    incoming.AddMessage(QStringLiteral("anna"), QStringLiteral("one line"));
    incoming.AddMessage(QStringLiteral("anna"), QStringLiteral("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10"));
    incoming.ShowMessage(0);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&incoming, 10000));
    key({QStringLiteral("Down")}); // the ten lines
    ASSERT_TRUE(WaitFor([&] { return incoming.ShownLine() == 1; }));

    key({QStringLiteral("Return")});
    ASSERT_TRUE(WaitFor([] { return Open() && Open()->isActiveWindow(); }, std::chrono::seconds(10)));
    EXPECT_EQ(Open()->Recipient(), QStringLiteral("anna"));
    EXPECT_FALSE(incoming.isVisible());
    key({QStringLiteral("h"), QStringLiteral("i"), QStringLiteral("Return")});
    ASSERT_TRUE(WaitFor([] { return CSendMessageDialog::LiveCount() == 0; }));
    EXPECT_EQ(Received(), QStringList{QStringLiteral("hi")});
}
