#include "ui/DialogBuilder.h"
#include "support/QtPrinters.h"
#include "ui/CListBox.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

// Ids find controls, a factory may stand in for one, flags reach the widgets and texts stay plain.
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
        return control.id == 1011 ? custom = new QPushButton(parent) : nullptr;
    });
    // 6 x 13 base units for the 8-point dialog font, as at 96 dpi; halves round up.
    EXPECT_EQ(DialogBuilder::BaseUnits(DialogBuilder::DialogFont(dialogTemplate)).height(), 13);
    EXPECT_EQ(DialogBuilder::MapDialogRect(QRect(136, 91, 43, 14), QSize(6, 13)), QRect(204, 148, 65, 23));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Test"));

    auto* ok = DialogBuilder::Control<QPushButton>(&dialog, 1);
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_TRUE(DialogBuilder::Control<CListBox>(&dialog, 1000)->IsSorted());
    EXPECT_EQ(DialogBuilder::Control(&dialog, 1011), custom);
    EXPECT_FALSE(custom->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(DialogBuilder::Control(&dialog, 1023)->isHidden());
    EXPECT_EQ(DialogBuilder::Control(&dialog, 4242), nullptr);
    EXPECT_EQ(dialog.findChild<QLabel*>()->textFormat(), Qt::PlainText);
}
