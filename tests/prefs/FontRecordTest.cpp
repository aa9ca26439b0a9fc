#include "prefs/FontRecord.h"
#include "support/QtPrinters.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <gtest/gtest.h>

TEST(FontRecordTest, NegativeHeightIsTheCharacterHeightInPixels)
{
    const QFont font = FontRecord{.height = -13, .face = QStringLiteral("Arial Cyr")}.ToQFont();
    EXPECT_EQ(font.pixelSize(), 13);
    EXPECT_EQ(FontRecord::FromQFont(font).height, -13);
}

TEST(FontRecordTest, PositiveHeightIsTheCellHeight)
{
    const QFont font = FontRecord{.height = 14, .face = QStringLiteral("Arial Cyr")}.ToQFont();
    const QFontMetrics metrics(font);
    EXPECT_NEAR(metrics.ascent() + metrics.descent(), 14, 1);
    EXPECT_LT(font.pixelSize(), 14);
}

TEST(FontRecordTest, ArialCyrIsDrawnWithLiberationSansAndKeepsItsName)
{
    const QFont font = FontRecord{.height = 14, .face = QStringLiteral("Arial Cyr")}.ToQFont();
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(FontRecord::FromQFont(font).face, QStringLiteral("Arial Cyr"));
}

TEST(FontRecordTest, StyleSurvivesTheRoundTripAndTheFaceIsCut)
{
    const FontRecord record{.height = -20,
                            .weight = 700,
                            .italic = true,
                            .underline = true,
                            .strikeOut = true,
                            .face = QString(40, QLatin1Char('F'))};
    const FontRecord back = FontRecord::FromQFont(record.ToQFont());
    EXPECT_EQ(back.weight, 700);
    EXPECT_TRUE(back.italic && back.underline && back.strikeOut);
    EXPECT_EQ(back.face.size(), FontRecord::kMaxFaceLength);
}
