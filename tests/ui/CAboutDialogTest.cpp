#include "ui/CAboutDialog.h"
#include "res/ResourceLoader.h"
#include "ui/DialogBuilder.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

// The picture at (8, 8) in its own colours; every text plain and whole; OK closes.
TEST(CAboutDialogTest, ShowsItsPictureAndWholePlainTextsAndClosesWithOk)
{
    CAboutDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QImage shown = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage picture = LoadBitmapResource(CAboutDialog::kPictureId).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(shown.copy(QRect(QPoint(8, 8), picture.size())), picture);

    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        if (!label->wordWrap()) {
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        }
    }
    DialogBuilder::Control<QPushButton>(&dialog, 1)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}
