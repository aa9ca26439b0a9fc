#include "ui/DialogBuilder.h"
#include "support/QtPrinters.h"
#include "ui/CListBox.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

TEST(DialogBuilderTest, DialogUnitsBecomePixelsWithTheBaseUnits)
{
    // The classic 8-point dialog font at 96 dpi: 6 x 13 base units.
    EXPECT_EQ(DialogBuilder::MapDialogRect(QRect(0, 0, 186, 111), QSize(6, 13)), QRect(0, 0, 279, 180));
    // 91 * 13 / 8 = 147.875 and 43 * 6 / 4 = 64.5 round up; 14 * 13 / 8 = 22.75.
    EXPECT_EQ(DialogBuilder::MapDialogRect(QRect(136, 91, 43, 14), QSize(6, 13)), QRect(204, 148, 65, 23));
    // The same at 120 dpi: 8 x 16.
    EXPECT_EQ(DialogBuilder::MapDialogRect(QRect(0, 0, 186, 111), QSize(8, 16)), QRect(0, 0, 372, 222));
    EXPECT_EQ(DialogBuilder::MapDialogRect(QRect(136, 91, 43, 14), QSize(8, 16)), QRect(272, 182, 86, 28));
}

TEST(DialogBuilderTest, BaseWidthIsTheAverageLetterWidth)
{
    // Liberation Mono advances every glyph by 1229/2048 em: 6 pixels at 10, 12 at 20.
    QFont mono(QStringLiteral("Liberation Mono"));
    if (!QFontDatabase::families().contains(mono.family()))
        GTEST_SKIP() << "Liberation Mono is not installed";
    mono.setPixelSize(10);
    EXPECT_EQ(DialogBuilder::BaseUnits(mono).width(), 6);
    mono.setPixelSize(20);
    EXPECT_EQ(DialogBuilder::BaseUnits(mono).width(), 12);
}

TEST(DialogBuilderTest, BuildsControlsWithTheirIdsPlacesAndPlainTexts)
{
    using C = DialogControl;
    const DialogTemplate dialogTemplate{
        .id = 1,
        .caption = QStringLiteral("Test"),
        .fontFace = QStringLiteral("MS Sans Serif"),
        .pointSize = 8,
        .cx = 100,
        .cy = 60,
        .controls = {
            {1, C::PushButton, QStringLiteral("OK"), 50, 40, 40, 14, C::DefPushButton | C::TabStop},
            {-1, C::Static, QStringLiteral("<b>not bold</b>"), 5, 5, 90, 8},
            {1000, C::ListBox, {}, 5, 15, 40, 40, C::Sort | C::VScroll | C::TabStop},
            {1023, C::StaticBitmap, QStringLiteral("#190"), 60, 20, 9, 7, C::Hidden},
            {1011, C::PushButton, QStringLiteral(" "), 60, 5, 11, 10, C::OwnerDraw},
        },
    };
    QWidget dialog;
    QPushButton* custom = nullptr;
    DialogBuilder::Build(&dialog, dialogTemplate, [&](const DialogControl& control, QWidget* parent) -> QWidget* {
        if (control.id != 1011)
            return nullptr;
        custom = new QPushButton(parent);
        return custom;
    });
    const QSize base = DialogBuilder::BaseUnits(DialogBuilder::DialogFont(dialogTemplate));
    // The 8-point dialog font is about as large as the classic one.
    EXPECT_EQ(base.height(), 13);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Test"));
    EXPECT_EQ(dialog.size(), DialogBuilder::MapDialogRect(QRect(0, 0, 100, 60), base).size());

    auto* ok = DialogBuilder::Control<QPushButton>(&dialog, 1);
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->geometry(), DialogBuilder::MapDialogRect(QRect(50, 40, 40, 14), base));
    EXPECT_EQ(ok->property("controlId").toInt(), 1);

    auto* list = DialogBuilder::Control<CListBox>(&dialog, 1000);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->IsSorted());
    EXPECT_EQ(DialogBuilder::Control(&dialog, 1011), custom);
    EXPECT_FALSE(custom->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(DialogBuilder::Control(&dialog, 1023)->isHidden());

    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    bool found = false;
    for (QLabel* label : labels) {
        if (label->text() == QStringLiteral("<b>not bold</b>")) {
            found = true;
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
        }
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(DialogBuilder::Control(&dialog, 4242), nullptr);
}
