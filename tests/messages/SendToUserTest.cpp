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

    ~SendToUserTest() override
    {
        for (QMessageBox* box : mainWnd.findChildren<QMessageBox*>())
            delete box;
    }

    static CSendMessageDialog* Open() { return CSendMessageDialog::FirstInstance(); }

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

TEST_F(SendToUserTest, SendBroadcastsOnePrivateMessageFromTheOwnUser)
{
    road.Open(QStringLiteral("anna"));
    ASSERT_TRUE(Open());
    EXPECT_EQ(Open()->windowTitle(), QStringLiteral("Send message to anna"));
    TypeText(Open()->Edit(), QStringLiteral("Привет\nbye"));
    Click(CSendMessageDialog::IDOK);

    ASSERT_EQ(sender.packets.size(), 1u);
    const MessagePacket& packet = sender.packets.front();
    EXPECT_EQ(packet.type, PACKET_MESSAGE);
    EXPECT_EQ(packet.Sender(), QStringLiteral("bob"));
    EXPECT_EQ(packet.Recipient(), QStringLiteral("anna"));
    EXPECT_EQ(packet.Text(), QStringLiteral("Привет\r\nbye"));
    EXPECT_EQ(CSendMessageDialog::LiveCount(), 0);
    EXPECT_FALSE(Warning());
}

TEST_F(SendToUserTest, AMessageThatCouldNotGoOutKeepsItsWindowAndText)
{
    users.AddString(QStringLiteral("carl"));
    road.Open(QStringLiteral("carl"));
    QTest::keyClicks(Open()->Edit(), QStringLiteral("long text"));
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

TEST_F(SendToUserTest, AllIsAnAddresseeLikeAnyOther)
{
    road.Open(QStringLiteral("All"));
    EXPECT_EQ(Open()->windowTitle(), QStringLiteral("Send message to All"));
    QTest::keyClicks(Open()->Edit(), QStringLiteral("hello everybody"));
    Click(CSendMessageDialog::IDOK);
    ASSERT_EQ(sender.packets.size(), 1u);
    EXPECT_EQ(sender.packets.front().Recipient(), QStringLiteral("All"));
}

TEST_F(SendToUserTest, AnAddresseeNoLongerListedGetsNothingAndTheUserIsWarned)
{
    // The list finds "ANNA" without regard to case; the addressee must match exactly.
    road.Open(QStringLiteral("ANNA"));
    QTest::keyClicks(Open()->Edit(), QStringLiteral("hi"));
    Click(CSendMessageDialog::IDOK);
    EXPECT_TRUE(sender.packets.empty());
    QMessageBox* box = Warning();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Warning"));
    EXPECT_EQ(box->text(), QStringLiteral("Машина User'a не отвечает на запрос. \nСообщение не отправлено."));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(CSendMessageDialog::LiveCount(), 0);

    // The window can be opened again at once.
    road.Open(QStringLiteral("anna"));
    EXPECT_EQ(CSendMessageDialog::LiveCount(), 1);
    Click(1005);
}

TEST_F(SendToUserTest, CloseEscapeAndAnEmptyTextSendNothingAndEndTheWindow)
{
    road.Open(QStringLiteral("anna"));
    QTest::keyClicks(Open()->Edit(), QStringLiteral("typed"));
    Click(1005);
    EXPECT_EQ(CSendMessageDialog::LiveCount(), 0);

    road.Open(QStringLiteral("anna"));
    QTest::keyClicks(Open()->Edit(), QStringLiteral("typed"));
    QTest::keyClick(Open(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CSendMessageDialog::LiveCount(), 0);

    road.Open(QStringLiteral("anna"));
    Click(CSendMessageDialog::IDOK);
    EXPECT_EQ(CSendMessageDialog::LiveCount(), 0);

    EXPECT_TRUE(sender.packets.empty());
    EXPECT_FALSE(Warning());
}

TEST_F(SendToUserTest, ASecondRequestBringsTheOpenWindowForwardAndIsDropped)
{
    road.Open(QStringLiteral("anna"));
    CSendMessageDialog* first = Open();
    QTest::keyClicks(first->Edit(), QStringLiteral("half"));
    road.Open(QStringLiteral("All"));
    EXPECT_EQ(CSendMessageDialog::LiveCount(), 1);
    EXPECT_EQ(Open(), first);
    EXPECT_EQ(first->Recipient(), QStringLiteral("anna"));
    EXPECT_EQ(first->Edit()->toPlainText(), QStringLiteral("half"));

    Click(CSendMessageDialog::IDOK);
    ASSERT_EQ(sender.packets.size(), 1u);
    EXPECT_EQ(sender.packets.front().Recipient(), QStringLiteral("anna"));
}

TEST_F(SendToUserTest, TextIsHeldToWhatAMessageCarriesAsItIsTypedOrPasted)
{
    road.Open(QStringLiteral("anna"));
    QPlainTextEdit* edit = Open()->Edit();
    const QString full(CSendMessageDialog::kMaxTextLength, QLatin1Char('x'));
    QTest::keyClicks(edit, full);
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
