#include "messages/CMessageAppearanceDialog.h"
#include "messages/CSendMessageDialog.h"
#include "prefs/CRegistry.h"
#include "prefs/PreferencesLayout.h"
#include "support/QtPrinters.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFile>
#include <QFontDialog>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class CMessageAppearanceDialogTest : public ::testing::Test {
protected:
    CMessageAppearanceDialogTest()
    {
        // The first load writes the defaults; from then on the file is what the dialogs keep.
        PreferencesSendMessage defaults;
        LoadPreferences(registry, defaults);
    }

    QByteArray StoredFile() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void Click(QWidget* dialog, int id) { dialog->findChild<QPushButton*>(QString::number(id))->click(); }

    // Opens the colour picker of the button and chooses the colour in it.
    static void PickColor(QWidget* dialog, int buttonId, const QColor& color)
    {
        Click(dialog, buttonId);
        auto* picker = dialog->findChild<QColorDialog*>();
        ASSERT_TRUE(picker);
        picker->setCurrentColor(color);
        picker->accept();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.reg"));
    CRegistry registry{path};
};

} // namespace

TEST_F(CMessageAppearanceDialogTest, CancelKeepsTheStoredRecordAndOkStoresThePreviewedOne)
{
    const QByteArray before = StoredFile();
    {
        CMessageAppearanceDialog dialog(registry);
        PickColor(&dialog, 1010, Qt::red);
        EXPECT_EQ(dialog.Preview()->palette().color(QPalette::Text), QColor(Qt::red));
        Click(&dialog, 2);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(StoredFile(), before);

    CMessageAppearanceDialog dialog(registry);
    PickColor(&dialog, 1010, QColor(0x10, 0x20, 0x30));
    PickColor(&dialog, 1011, QColor(0xF0, 0xE0, 0xD0));
    EXPECT_EQ(dialog.Preview()->palette().color(QPalette::Base), QColor(0xF0, 0xE0, 0xD0));
    Click(&dialog, 1);
    PreferencesSendMessage stored;
    LoadPreferences(registry, stored);
    EXPECT_EQ(stored.m_crText, MakeColorRef(0x10, 0x20, 0x30));
    EXPECT_EQ(stored.m_crBackground, MakeColorRef(0xF0, 0xE0, 0xD0));
}

TEST_F(CMessageAppearanceDialogTest, TheSendMessageWindowTakesTheStoredAppearanceAtOnceAndKeepsItsText)
{
    CSendMessageDialog send(registry, QStringLiteral("anna"));
    send.Edit()->setPlainText(QStringLiteral("half written"));
    Click(&send, 1011);
    auto* appearance = send.findChild<CMessageAppearanceDialog*>();
    ASSERT_TRUE(appearance);
    PickColor(appearance, 1011, QColor(0, 0, 0x80));
    Click(appearance, 1012);
    auto* fontPicker = appearance->findChild<QFontDialog*>();
    ASSERT_TRUE(fontPicker);
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(20);
    fontPicker->setCurrentFont(font);
    fontPicker->accept();
    Click(appearance, 1);

    EXPECT_EQ(send.Record().m_crBackground, MakeColorRef(0, 0, 0x80));
    EXPECT_EQ(send.Edit()->palette().color(QPalette::Base), QColor(0, 0, 0x80));
    EXPECT_EQ(send.Edit()->font().family(), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(send.Edit()->font().pixelSize(), 20);
    EXPECT_EQ(send.Edit()->toPlainText(), QStringLiteral("half written"));
}

// The font picker starts from the font shown (face drawn, size, upright, regular); OK keeps it.
class FontPickerStartTest : public CMessageAppearanceDialogTest,
                            public ::testing::WithParamInterface<std::pair<int, const char*>> { };

TEST_P(FontPickerStartTest, StartsFromTheStoredFontAndOkKeepsIt)
{
    PreferencesSendMessage stored;
    stored.m_fontText = FontRecord{.height = GetParam().first, .face = QString::fromLatin1(GetParam().second)};
    SavePreferences(registry, stored);
    const QByteArray before = StoredFile();

    CMessageAppearanceDialog appearance(registry);
    Click(&appearance, 1012);
    auto* picker = appearance.findChild<QFontDialog*>();
    ASSERT_TRUE(picker);
    const QFont offered = picker->currentFont();
    const QFontInfo drawn(stored.m_fontText.ToQFont());
    EXPECT_EQ(offered.family(), drawn.family());
    EXPECT_FALSE(offered.italic());
    EXPECT_FALSE(offered.styleName().contains(QStringLiteral("Condensed"))) << offered.styleName().toStdString();
    EXPECT_NEAR(offered.pointSizeF() * appearance.logicalDpiY() / 72.0, drawn.pixelSize(), 1.5);
    picker->accept();
    Click(&appearance, 1);
    EXPECT_EQ(StoredFile(), before);
}

INSTANTIATE_TEST_SUITE_P(StoredFonts, FontPickerStartTest,
                         ::testing::Values(std::pair{14, "Arial Cyr"}, std::pair{-15, "DejaVu Serif"},
                                           std::pair{-13, "Liberation Mono"}));
