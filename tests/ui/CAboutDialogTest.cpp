#include "ui/CAboutDialog.h"
#include "res/ResourceLoader.h"
#include "ui/DialogBuilder.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

TEST(CAboutDialogTest, PaintsItsPictureAtEightEightInItsOwnColours)
{
    CAboutDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QImage shown = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage picture = LoadBitmapResource(CAboutDialog::kPictureId).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(picture.size(), QSize(63, 162));
    ASSERT_GE(shown.width(), 8 + 63);
    ASSERT_GE(shown.height(), 8 + 162);
    EXPECT_EQ(shown.copy(8, 8, 63, 162), picture);
}

TEST(CAboutDialogTest, ShowsNameAndVersionAndClosesWithOk)
{
    CAboutDialog dialog;
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        texts << label->text();
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
    }
    EXPECT_TRUE(texts.contains(QStringLiteral("Pellwick application.")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Version 1.12")));
    // Every text is shown whole, whatever the substitute font's widths.
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->wordWrap()) {
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        }
    }

    auto* ok = DialogBuilder::Control<QPushButton>(&dialog, 1);
    ASSERT_NE(ok, nullptr);
    dialog.show();
    ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(CAboutDialogTest, PaletteBitmapKeepsTheColourTableAndAMissingOneDrawsNothing)
{
    CPaletteBitmap bitmap;
    bitmap.SetResourceId(CAboutDialog::kPictureId);
    bitmap.Load();
    EXPECT_EQ(bitmap.Width(), 63);
    EXPECT_EQ(bitmap.Palette().size(), 256);

    CPaletteBitmap missing;
    missing.SetResourceId(4242);
    missing.Load();
    EXPECT_TRUE(missing.IsEmpty());
    QImage canvas(10, 10, QImage::Format_RGB32);
    canvas.fill(Qt::green);
    QPainter painter(&canvas);
    missing.Paint(painter, QPoint(0, 0));
    painter.end();
    EXPECT_EQ(canvas.pixel(5, 5), QColor(Qt::green).rgb());
}
