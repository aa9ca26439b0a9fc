#include "chat/CMessageListPrefsDialog.h"
#include "chat/CChatListBox.h"
#include "prefs/CRegistry.h"
#include "prefs/PreferencesChat.h"
#include "prefs/PreferencesInMessage.h"
#include "prefs/PreferencesLayout.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"
#include "ui/CListBox.h"
#include "ui/DialogBuilder.h"

#include <QColorDialog>
#include <QFile>
#include <QFontDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using D = CMessageListPrefsDialog;

class CMessageListPrefsDialogTest : public ::testing::Test {
protected:
    std::unique_ptr<D> Open(std::unique_ptr<PreferencesMessageList> record = std::make_unique<PreferencesChat>())
    {
        auto dialog = std::make_unique<D>(registry, std::move(record));
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }

    static QPushButton* Button(const D& dialog, int id) { return DialogBuilder::Control<QPushButton>(&dialog, id); }
    static CListBox* Items(const D& dialog) { return DialogBuilder::Control<CListBox>(&dialog, D::IDC_ITEMS); }
    static CChatListBox* Prototype(const D& dialog)
    {
        return DialogBuilder::Control<CChatListBox>(&dialog, D::IDC_PROTOTYPE);
    }

    static void Pick(const D& dialog, int row)
    {
        CListBox* items = Items(dialog);
        QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, items->visualItemRect(items->item(row)).center());
    }

    // The chooser that Color... or Font... opened; it is gone once answered.
    template <typename Chooser> static Chooser* OpenChooser(D& dialog, int button)
    {
        QTest::mouseClick(Button(dialog, button), Qt::LeftButton);
        auto* chooser = dialog.findChild<Chooser*>();
        if (chooser) {
            EXPECT_TRUE(chooser->isModal());
        }
        return chooser;
    }

    static void ChooseColor(D& dialog, const QColor& color)
    {
        auto* chooser = OpenChooser<QColorDialog>(dialog, D::IDC_COLOR);
        ASSERT_NE(chooser, nullptr);
        chooser->setCurrentColor(color);
        chooser->accept();
        Settle();
    }

    // Lets answered choosers go.
    static void Settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QByteArray Stored() const
    {
        QFile file(dir.filePath(QStringLiteral("registry.reg")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::int32_t StoredNumber(QStringView section, QStringView name)
    {
        std::int32_t number = -1;
        registry.ReadNumber(RegistryKeys::kCompany, RegistryKeys::kProduct,
                            section.toString() + u'\\' + name.toString(), number);
        return number;
    }

    QTemporaryDir dir;
    CRegistry registry{dir.filePath(QStringLiteral("registry.reg"))};
};

} // namespace

TEST_F(CMessageListPrefsDialogTest, OpensOnTheStoredSchemeWithMessageTextPicked)
{
    PreferencesChat stored;
    stored.m_crTitle = MakeColorRef(1, 2, 3);
    stored.m_crText = MakeColorRef(4, 5, 6);
    stored.m_crBackground = MakeColorRef(7, 8, 9);
    SavePreferences(registry, stored);

    auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Preferences"));
    CChatListBox* prototype = Prototype(*dialog);
    ASSERT_EQ(prototype->GetCount(), 1);
    EXPECT_EQ(prototype->GetText(0), QStringLiteral("Someone%The message about nothing..."));
    EXPECT_EQ(prototype->selectionMode(), QAbstractItemView::NoSelection);
    EXPECT_EQ(prototype->TitleColor(), stored.m_crTitle);
    EXPECT_EQ(prototype->TextColor(), stored.m_crText);
    EXPECT_EQ(prototype->BackgroundColor(), stored.m_crBackground);

    CListBox* items = Items(*dialog);
    ASSERT_EQ(items->GetCount(), 3);
    EXPECT_EQ(items->GetText(0), QStringLiteral("Message Text"));
    EXPECT_EQ(items->GetText(1), QStringLiteral("User Alias"));
    EXPECT_EQ(items->GetText(2), QStringLiteral("Background"));
    EXPECT_EQ(items->GetCurSel(), 0);
    EXPECT_TRUE(Button(*dialog, D::IDC_COLOR)->isEnabled());
    EXPECT_TRUE(Button(*dialog, D::IDC_FONT)->isEnabled());
}

TEST_F(CMessageListPrefsDialogTest, BackgroundHasNoFont)
{
    auto dialog = Open();
    Pick(*dialog, D::PART_BACKGROUND);
    EXPECT_FALSE(Button(*dialog, D::IDC_FONT)->isEnabled());
    EXPECT_TRUE(Button(*dialog, D::IDC_COLOR)->isEnabled());
    QTest::mouseClick(Button(*dialog, D::IDC_FONT), Qt::LeftButton);
    EXPECT_EQ(dialog->findChild<QFontDialog*>(), nullptr);
    Pick(*dialog, D::PART_TITLE);
    EXPECT_TRUE(Button(*dialog, D::IDC_FONT)->isEnabled());
    Pick(*dialog, D::PART_BACKGROUND);
    Pick(*dialog, D::PART_TEXT);
    EXPECT_TRUE(Button(*dialog, D::IDC_FONT)->isEnabled());
}

TEST_F(CMessageListPrefsDialogTest, ColoursShowAtOnceAndCancelStoresNothing)
{
    auto dialog = Open();
    const QByteArray before = Stored();
    const QColor red(200, 10, 10);
    Pick(*dialog, D::PART_TITLE);
    ChooseColor(*dialog, red);
    EXPECT_EQ(Prototype(*dialog)->TitleColor(), ToColorRef(red));
    Pick(*dialog, D::PART_BACKGROUND);
    ChooseColor(*dialog, Qt::yellow);
    EXPECT_EQ(Prototype(*dialog)->BackgroundColor(), ToColorRef(Qt::yellow));
    // The sample is drawn on the new background straight away.
    const QImage shown = Prototype(*dialog)->viewport()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(shown.width() - 3, shown.height() - 3), QColor(Qt::yellow));

    // A chooser that is cancelled changes nothing.
    auto* chooser = OpenChooser<QColorDialog>(*dialog, D::IDC_COLOR);
    ASSERT_NE(chooser, nullptr);
    chooser->setCurrentColor(Qt::blue);
    chooser->reject();
    Settle();
    EXPECT_EQ(Prototype(*dialog)->BackgroundColor(), ToColorRef(Qt::yellow));

    QTest::mouseClick(Button(*dialog, 2), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(Stored(), before);
}

TEST_F(CMessageListPrefsDialogTest, OkStoresOnlyTheRecordsOwnSection)
{
    auto dialog = Open(std::make_unique<PreferencesInMessage>());
    Pick(*dialog, D::PART_TEXT);
    ChooseColor(*dialog, QColor(0, 128, 0));
    const std::int32_t chatText = StoredNumber(u"Preferences\\Chat Dialog", u"Text");
    QTest::mouseClick(Button(*dialog, 1), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);

    EXPECT_EQ(StoredNumber(u"Preferences\\Incoming Message Dialog", u"Text"),
              static_cast<std::int32_t>(MakeColorRef(0, 128, 0)));
    EXPECT_EQ(StoredNumber(u"Preferences\\Chat Dialog", u"Text"), chatText);
    PreferencesChat chat;
    LoadPreferences(registry, chat);
    EXPECT_NE(chat.m_crText, MakeColorRef(0, 128, 0));
}

TEST_F(CMessageListPrefsDialogTest, FontStylesShowInTheSampleButOnlyFaceAndHeightAreKept)
{
    auto dialog = Open();
    Pick(*dialog, D::PART_TITLE);
    auto* chooser = OpenChooser<QFontDialog>(*dialog, D::IDC_FONT);
    ASSERT_NE(chooser, nullptr);
    QFont chosen(QStringLiteral("Liberation Serif"));
    chosen.setPixelSize(20);
    chosen.setBold(true);
    chosen.setItalic(true);
    chosen.setUnderline(true);
    chooser->setCurrentFont(chosen);
    chooser->accept();
    Settle();
    EXPECT_EQ(dialog->Record().m_fontTitle.weight, 700);
    EXPECT_TRUE(dialog->Record().m_fontTitle.italic);
    EXPECT_TRUE(dialog->Record().m_fontTitle.underline);
    QTest::mouseClick(Button(*dialog, 1), Qt::LeftButton);

    PreferencesChat stored;
    LoadPreferences(registry, stored);
    EXPECT_EQ(stored.m_fontTitle, (FontRecord{.height = -20, .face = QStringLiteral("Liberation Serif")}));

    auto again = Open();
    EXPECT_EQ(again->Record().m_fontTitle, stored.m_fontTitle);
}
