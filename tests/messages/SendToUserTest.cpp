#include "messages/SendToUser.h"
#include "messages/CSendMessageDialog.h"
#include "net/PacketSender.h"
#include "platform/OwnUserName.h"
#include "prefs/CRegistry.h"
#include "support/QtPrinters.h"
#include "support/TypeText.h"
#include "ui/CListBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

class RecordingSender : public PacketSender {
public:
    bool SendPacket(const MessagePacket& packet) override
    {
        packets.push_back(packet);
        return networkUp;
    }
    std::vector<MessagePacket> packets;
    bool networkUp = true;
};

class SendToUserTest : public ::testing::Test {
protected:
    SendToUserTest()
    {
        users.AddString(QStringLiteral("All"));
        users.AddString(QStringLiteral("anna"));
    }

    ~SendToUserTest() override { qDeleteAll(mainWnd.findChildren<QMessageBox*>()); }

    static CSendMessageDialog* Open() { return CSendMessageDialog::FirstInstance(); }

    // Opens the window for the addressee and types the text into it.
    void Write(const QString& addressee, const QString& text)
    {
        road.Open(addressee);
        ASSERT_TRUE(Open());
        TypeText(Open()->Edit(), text);
    }

    static void Click(int id)
    {
        Open()->findChild<QPushButton*>(QString::number(id))->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QMessageBox* Warning() const { return mainWnd.findChild<QMessageBox*>(); }

    OwnUserNameOverride user{QStringLiteral("bob")};
    QTemporaryDir dir;
    CRegistry registry{dir.filePath(QStringLiteral("registry.reg"))};
    RecordingSender sender;
    CListBox users;
    QWidget mainWnd;
    SendToUser road{registry, sender, users, &mainWnd};
};

} // namespace

// "All" is an addressee like any other.
TEST_F(SendToUserTest, SendBroadcastsOnePrivateMessageFromTheOwnUser)
{
    for (const QString& addressee : {QStringLiteral("anna"), QStringLiteral("All")}) {
        SCOPED_TRACE(addressee.toStdString());
        sender.packets.clear();
        Write(addressee, QStringLiteral("Привет\nbye"));
        EXPECT_EQ(Open()->windowTitle(), QStringLiteral("Send message to ") + addressee);
        Click(CSendMessageDialog::IDOK);

        ASSERT_EQ(sender.packets.size(), 1u);
        const MessagePacket& packet = sender.packets.front();
        EXPECT_EQ(packet.type, PACKET_MESSAGE);
        EXPECT_EQ(packet.Sender(), QStringLiteral("bob"));
        EXPECT_EQ(packet.Recipient(), addressee);
        EXPECT_EQ(packet.Text(), QStringLiteral("Привет\r\nbye"));
        EXPECT_EQ(CSendMessageDialog::LiveCount(), 0);
        EXPECT_FALSE(Warning());
    }
}

TEST_F(SendToUserTest, AMessageThatCouldNotGoOutKeepsItsWindowAndText)
{
    Write(QStringLiteral("anna"), QStringLiteral("long text"));
    sender.networkUp = false;
    Click(CSendMessageDialog::IDOK);
    ASSERT_EQ(CSendMessageDialog::LiveCount(), 1);
    EXPECT_TRUE(Open()->isVisible());
    EXPECT_EQ(Open()->Edit()->toPlainText(), QStringLiteral("long text"));

    sender.networkUp = true;
    Click(CSendMessageDialog::IDOK);
    ASSERT_EQ(sender.packets.size(), 2u);
    EXPECT_EQ(sender.packets.back().Text(), QStringLiteral("long text"));
    EXPECT_EQ(CSendMessageDialog::LiveCount(), 0);
}

TEST_F(SendToUserTest, AnAddresseeNoLongerListedGetsNothingAndTheUserIsWarned)
{
    // The list finds "ANNA" without regard to case; the addressee must match exactly.
    Write(QStringLiteral("ANNA"), QStringLiteral("hi"));
    Click(CSendMessageDialog::IDOK);
    EXPECT_TRUE(sender.packets.empty());
    ASSERT_TRUE(Warning());
    EXPECT_EQ(Warning()->textFormat(), Qt::PlainText);
    EXPECT_EQ(CSendMessageDialog::LiveCount(), 0);

    road.Open(QStringLiteral("anna")); // the window can be opened again at once
    EXPECT_EQ(CSendMessageDialog::LiveCount(), 1);
    Click(1005);
}

TEST_F(SendToUserTest, CloseEscapeAndAnEmptyTextSendNothingAndEndTheWindow)
{
    const std::vector<std::pair<QString, std::function<void()>>> endings = {
        {QStringLiteral("typed"), [] { Click(1005); }},
        {QStringLiteral("typed"), [] { QTest::keyClick(Open(), Qt::Key_Escape); }},
        {QString(), [] { Click(CSendMessageDialog::IDOK); }},
    };
    for (const auto& [text, end] : endings) {
        Write(QStringLiteral("anna"), text);
        end();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(CSendMessageDialog::LiveCount(), 0);
    }
    EXPECT_TRUE(sender.packets.empty());
    EXPECT_FALSE(Warning());
}

TEST_F(SendToUserTest, ASecondRequestBringsTheOpenWindowForwardAndIsDropped)
{
    Write(QStringLiteral("anna"), QStringLiteral("half"));
    CSendMessageDialog* first = Open();
    road.Open(QStringLiteral("All"));
    EXPECT_EQ(CSendMessageDialog::LiveCount(), 1);
    EXPECT_EQ(Open(), first);
    EXPECT_EQ(first->Edit()->toPlainText(), QStringLiteral("half"));

    Click(CSendMessageDialog::IDOK);
    ASSERT_EQ(sender.packets.size(), 1u);
    EXPECT_EQ(sender.packets.front().Recipient(), QStringLiteral("anna"));
}

TEST_F(SendToUserTest, TextIsHeldToWhatAMessageCarriesAsItIsTypedOrPasted)
{
    const QString full(CSendMessageDialog::kMaxTextLength, QLatin1Char('x'));
    Write(QStringLiteral("anna"), full);
    QPlainTextEdit* edit = Open()->Edit();
    EXPECT_FALSE(Open()->IsLimitNoticeShown());
    QTest::keyClicks(edit, QStringLiteral("yz"));
    EXPECT_EQ(edit->toPlainText(), full);
    EXPECT_TRUE(Open()->IsLimitNoticeShown());

    // A paste in the middle keeps its beginning; a line break takes two bytes of the packet.
    edit->clear();
    EXPECT_FALSE(Open()->IsLimitNoticeShown());
    QTest::keyClicks(edit, QStringLiteral("[]"));
    edit->moveCursor(QTextCursor::Start);
    edit->moveCursor(QTextCursor::NextCharacter);
    edit->insertPlainText(QStringLiteral("a\n") + QString(300, QLatin1Char('b')));
    const QString text = edit->toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("[a\nbbb")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("b]")));
    EXPECT_EQ(CSendMessageDialog::WireText(text).size(), CSendMessageDialog::kMaxTextLength);
    EXPECT_TRUE(Open()->IsLimitNoticeShown());

    Click(CSendMessageDialog::IDOK);
    ASSERT_EQ(sender.packets.size(), 1u);
    EXPECT_EQ(sender.packets.front().Text(), CSendMessageDialog::WireText(text));
}
