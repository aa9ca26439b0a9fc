#include "messages/SendToUser.h"
#include "messages/CMessageAppearanceDialog.h"
#include "messages/CSendMessageDialog.h"
#include "net/PacketSender.h"
#include "platform/OwnUserName.h"
#include "prefs/CRegistry.h"
#include "prefs/PreferencesLayout.h"
#include "support/FileBytes.h"
#include "support/QtPrinters.h"
#include "support/TypeText.h"
#include "ui/CListBox.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
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

    QByteArray Stored() const { return FileBytes(dir.filePath(QStringLiteral("registry.reg"))); }

    OwnUserNameOverride user{QStringLiteral("bob")};
    QTemporaryDir dir;
    CRegistry registry{dir.filePath(QStringLiteral("registry.reg"))};
    RecordingSender sender;
    CListBox users;
    QWidget mainWnd;
    SendToUser road{registry, sender, users, &mainWnd};
};

} // namespace

// A second request brings the open window forward; a message that could not go out stays.
TEST_F(SendToUserTest, OneWindowAtATimeKeepsItsTextUntilTheMessageGoesOut)
{
    Write(QStringLiteral("anna"), QStringLiteral("half"));
    CSendMessageDialog* first = Open();
    road.Open(QStringLiteral("All"));
    EXPECT_EQ(CSendMessageDialog::LiveCount(), 1);
    EXPECT_EQ(Open(), first);
    sender.networkUp = false;
    Click(CSendMessageDialog::IDOK);
    ASSERT_EQ(CSendMessageDialog::LiveCount(), 1);
    EXPECT_TRUE(Open()->isVisible());
    EXPECT_EQ(Open()->Edit()->toPlainText(), QStringLiteral("half"));

    sender.networkUp = true;
    Click(CSendMessageDialog::IDOK);
    ASSERT_EQ(sender.packets.size(), 2u);
    EXPECT_EQ(sender.packets.back().Recipient(), QStringLiteral("anna"));
    EXPECT_EQ(sender.packets.back().Text(), QStringLiteral("half"));
    EXPECT_EQ(CSendMessageDialog::LiveCount(), 0);
}

// An addressee must be listed by exactly that name ("ANNA" is not "anna"): else the user is warned.
TEST_F(SendToUserTest, AnUnlistedAddresseeCloseEscapeAndAnEmptyTextSendNothingAndEndTheWindow)
{
    const std::vector<std::tuple<QString, QString, std::function<void()>>> endings = {
        {QStringLiteral("ANNA"), QStringLiteral("hi"), [] { Click(CSendMessageDialog::IDOK); }},
        {QStringLiteral("anna"), QStringLiteral("typed"), [] { Click(1005); }},
        {QStringLiteral("anna"), QStringLiteral("typed"), [] { QTest::keyClick(Open(), Qt::Key_Escape); }},
        {QStringLiteral("anna"), QString(), [] { Click(CSendMessageDialog::IDOK); }},
    };
    for (const auto& [addressee, text, end] : endings) {
        Write(addressee, text);
        end();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(CSendMessageDialog::LiveCount(), 0) << addressee.toStdString() << ' ' << text.toStdString();
    }
    EXPECT_TRUE(sender.packets.empty());
    ASSERT_EQ(mainWnd.findChildren<QMessageBox*>().size(), 1);
    EXPECT_EQ(mainWnd.findChild<QMessageBox*>()->textFormat(), Qt::PlainText);
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

// The preview shows choices at once; only OK stores them, and the open window takes them.
TEST_F(SendToUserTest, TheAppearanceIsPreviewedAndOnOkStoredAndTakenByTheOpenWindow)
{
    PreferencesSendMessage stored;
    LoadPreferences(registry, stored); // the first load writes the defaults
    Write(QStringLiteral("anna"), QStringLiteral("half written"));
    const QByteArray before = Stored();
    for (bool ok : {false, true}) {
        Click(1011);
        auto* appearance = Open()->findChild<CMessageAppearanceDialog*>();
        ASSERT_TRUE(appearance);
        Choose<QColorDialog>(appearance, 1010, [](QColorDialog* chooser) { chooser->setCurrentColor(Qt::red); });
        Choose<QColorDialog>(appearance, 1011, [](QColorDialog* chooser) { chooser->setCurrentColor(Qt::darkBlue); });
        Choose<QFontDialog>(appearance, 1012, [](QFontDialog* chooser) {
            QFont font(QStringLiteral("Liberation Serif"));
            font.setPixelSize(20);
            chooser->setCurrentFont(font);
        });
        EXPECT_EQ(appearance->Preview()->palette().color(QPalette::Text), QColor(Qt::red));
        EXPECT_EQ(appearance->Preview()->palette().color(QPalette::Base), QColor(Qt::darkBlue));
        Click(ok ? 1 : 2, appearance);
        EXPECT_EQ(Stored() == before, !ok);
        EXPECT_EQ(Open()->Edit()->palette().color(QPalette::Base) == QColor(Qt::darkBlue), ok);
    }
    LoadPreferences(registry, stored);
    EXPECT_EQ(stored.m_crText, ToColorRef(Qt::red));
    EXPECT_EQ(Open()->Edit()->font().family(), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(Open()->Edit()->font().pixelSize(), 20);
    EXPECT_EQ(Open()->Edit()->toPlainText(), QStringLiteral("half written"));
}

// The font chooser starts from the font shown (face drawn, size, upright, regular); OK keeps it.
class FontChooserStartTest : public SendToUserTest,
                             public ::testing::WithParamInterface<std::pair<int, const char*>> { };

TEST_P(FontChooserStartTest, StartsFromTheStoredFontAndOkKeepsIt)
{
    PreferencesSendMessage stored;
    stored.m_fontText = FontRecord{.height = GetParam().first, .face = QString::fromLatin1(GetParam().second)};
    SavePreferences(registry, stored);
    const QByteArray before = Stored();

    CMessageAppearanceDialog appearance(registry);
    Choose<QFontDialog>(&appearance, 1012, [&](QFontDialog* chooser) {
        const QFont offered = chooser->currentFont();
        const QFontInfo drawn(stored.m_fontText.ToQFont());
        EXPECT_EQ(offered.family(), drawn.family());
        EXPECT_FALSE(offered.italic() || offered.styleName().contains(QStringLiteral("Condensed")));
        EXPECT_NEAR(offered.pointSizeF() * appearance.logicalDpiY() / 72.0, drawn.pixelSize(), 1.5);
    });
    Click(1, &appearance);
    EXPECT_EQ(Stored(), before);
}

INSTANTIATE_TEST_SUITE_P(StoredFonts, FontChooserStartTest,
                         ::testing::Values(std::pair{14, "Arial Cyr"}, std::pair{-15, "DejaVu Serif"},
                                           std::pair{-13, "Liberation Mono"}));
