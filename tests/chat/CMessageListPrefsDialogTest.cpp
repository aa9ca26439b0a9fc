#include "chat/CMessageListPrefsDialog.h"
#include "chat/CChatListBox.h"
#include "prefs/CRegistry.h"
#include "prefs/PreferencesChat.h"
#include "prefs/PreferencesInMessage.h"
#include "prefs/PreferencesLayout.h"
#include "support/QtPrinters.h"
#include "ui/CListBox.h"
#include "ui/DialogBuilder.h"

#include <QColorDialog>
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
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTest::mouseClick(Button(dialog, button), Qt::LeftButton);
        auto* chooser = dialog.findChild<Chooser*>();
        EXPECT_TRUE(chooser && chooser->isModal());
        return chooser;
    }

    static void ChooseColor(D& dialog, const QColor& color, bool accept = true)
    {
        auto* chooser = OpenChooser<QColorDialog>(dialog, D::IDC_COLOR);
        ASSERT_NE(chooser, nullptr);
        chooser->setCurrentColor(color);
        accept ? chooser->accept() : chooser->reject();
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
    CChatListBox* prototype = Prototype(*dialog);
    ASSERT_EQ(prototype->GetCount(), 1);
    EXPECT_EQ(prototype->selectionMode(), QAbstractItemView::NoSelection);
    EXPECT_EQ(prototype->TitleColor(), stored.m_crTitle);
    EXPECT_EQ(prototype->TextColor(), stored.m_crText);
    EXPECT_EQ(prototype->BackgroundColor(), stored.m_crBackground);
    EXPECT_EQ(Items(*dialog)->GetCount(), 3);
    EXPECT_EQ(Items(*dialog)->GetCurSel(), D::PART_TEXT);
}

// Colours show in the sample at once (the background has no font); Cancel stores nothing.
TEST_F(CMessageListPrefsDialogTest, ColoursShowAtOnceAndCancelStoresNothing)
{
    auto dialog = Open();
    PreferencesChat before;
    LoadPreferences(registry, before);
    Pick(*dialog, D::PART_TITLE);
    ChooseColor(*dialog, QColor(200, 10, 10));
    EXPECT_EQ(Prototype(*dialog)->TitleColor(), MakeColorRef(200, 10, 10));
    Pick(*dialog, D::PART_BACKGROUND);
    EXPECT_FALSE(Button(*dialog, D::IDC_FONT)->isEnabled());
    ChooseColor(*dialog, Qt::yellow);
    const QImage shown = Prototype(*dialog)->viewport()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(shown.width() - 3, shown.height() - 3), QColor(Qt::yellow));
    ChooseColor(*dialog, Qt::blue, false); // a cancelled chooser changes nothing
    EXPECT_EQ(Prototype(*dialog)->BackgroundColor(), ToColorRef(Qt::yellow));

    QTest::mouseClick(Button(*dialog, 2), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    PreferencesChat after;
    LoadPreferences(registry, after);
    EXPECT_EQ(after.m_crTitle, before.m_crTitle);
    EXPECT_EQ(after.m_crBackground, before.m_crBackground);
}

TEST_F(CMessageListPrefsDialogTest, OkStoresOnlyTheRecordsOwnSection)
{
    auto dialog = Open(std::make_unique<PreferencesInMessage>());
    ChooseColor(*dialog, QColor(0, 128, 0));
    const std::int32_t chatText = StoredNumber(u"Preferences\\Chat Dialog", u"Text");
    QTest::mouseClick(Button(*dialog, 1), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(StoredNumber(u"Preferences\\Incoming Message Dialog", u"Text"),
              static_cast<std::int32_t>(MakeColorRef(0, 128, 0)));
    EXPECT_EQ(StoredNumber(u"Preferences\\Chat Dialog", u"Text"), chatText);
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
    EXPECT_EQ(dialog->Record().m_fontTitle.weight, 700);
    EXPECT_TRUE(dialog->Record().m_fontTitle.italic);
    EXPECT_TRUE(dialog->Record().m_fontTitle.underline);
    QTest::mouseClick(Button(*dialog, 1), Qt::LeftButton);

    PreferencesChat stored;
    LoadPreferences(registry, stored);
    EXPECT_EQ(stored.m_fontTitle, (FontRecord{.height = -20, .face = QStringLiteral("Liberation Serif")}));
    EXPECT_EQ(Open()->Record().m_fontTitle, stored.m_fontTitle);
}
