#include "prefs/FontRecord.h"
#include "support/QtPrinters.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <gtest/gtest.h>

// A negative height is the character height, a positive one the cell height; a long face is cut.
TEST(FontRecordTest, HeightStyleAndAWindowsFaceNameGoToAQFontAndBack)
{
    const QFont character = FontRecord{.height = -13, .face = QStringLiteral("Arial Cyr")}.ToQFont();
    EXPECT_EQ(character.pixelSize(), 13);
    EXPECT_EQ(FontRecord::FromQFont(character).height, -13);

    const QFont cell = FontRecord{.height = 14, .face = QStringLiteral("Arial Cyr")}.ToQFont();
    const QFontMetrics metrics(cell);
    EXPECT_NEAR(metrics.ascent() + metrics.descent(), 14, 1);
    EXPECT_LT(cell.pixelSize(), 14);

    const FontRecord record{.height = -20,
                            .weight = 700,
                            .italic = true,
                            .underline = true,
                            .strikeOut = true,
                            .face = QStringLiteral("Arial Cyr")};
    const QFont font = record.ToQFont();
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Liberation Sans")); // its metric-compatible stand-in
    EXPECT_EQ(FontRecord::FromQFont(font), record);
    const FontRecord longFace{.height = -20, .face = QString(40, u'F')};
    EXPECT_EQ(FontRecord::FromQFont(longFace.ToQFont()).face, QString(FontRecord::kMaxFaceLength, u'F'));
}
