#include "ui/DialogBuilder.h"
#include "support/QtPrinters.h"
#include "ui/CListBox.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

// 6 x 13 base units (8-point font at 96 dpi) and 8 x 16 (120 dpi); halves round up.
TEST(DialogBuilderTest, DialogUnitsBecomePixelsWithTheBaseUnits)
{
    const struct {
        QRect units;
        QSize base;
        QRect pixels;
    } rows[] = {
        {{136, 91, 43, 14}, {6, 13}, {204, 148, 65, 23}},
        {{136, 91, 43, 14}, {8, 16}, {272, 182, 86, 28}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DialogBuilder::MapDialogRect(row.units, row.base), row.pixels) << testing::PrintToString(row.units);
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
        return control.id == 1011 ? custom = new QPushButton(parent) : nullptr;
    });
    const QSize base = DialogBuilder::BaseUnits(DialogBuilder::DialogFont(dialogTemplate));
    EXPECT_EQ(base.height(), 13); // the 8-point dialog font is about as large as the classic one
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Test"));
    EXPECT_EQ(dialog.size(), DialogBuilder::MapDialogRect(QRect(0, 0, 100, 60), base).size());

    auto* ok = DialogBuilder::Control<QPushButton>(&dialog, 1);
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->geometry(), DialogBuilder::MapDialogRect(QRect(50, 40, 40, 14), base));
    ASSERT_NE(DialogBuilder::Control<CListBox>(&dialog, 1000), nullptr);
    EXPECT_TRUE(DialogBuilder::Control<CListBox>(&dialog, 1000)->IsSorted());
    EXPECT_EQ(DialogBuilder::Control(&dialog, 1011), custom);
    EXPECT_FALSE(custom->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(DialogBuilder::Control(&dialog, 1023)->isHidden());
    EXPECT_EQ(DialogBuilder::Control(&dialog, 4242), nullptr);

    auto* label = dialog.findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("<b>not bold</b>"));
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
}
