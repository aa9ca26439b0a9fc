#include "platform/Windows1251.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <array>

TEST(Windows1251Test, CyrillicAndAsciiRoundTrip)
{
    const QString text = QStringLiteral("Привет, Ёжик! Hello №5");
    const QByteArray bytes = Windows1251::Encode(text);
    EXPECT_EQ(bytes.size(), text.size());
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xCF); // П
    EXPECT_EQ(static_cast<unsigned char>(bytes[8]), 0xA8); // Ё
    EXPECT_EQ(Windows1251::Decode(bytes), text);
}

TEST(Windows1251Test, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int byte = 1; byte < 256; ++byte)
        all.append(static_cast<char>(byte));
    EXPECT_EQ(Windows1251::Encode(Windows1251::Decode(all)), all);
}

TEST(Windows1251Test, CharactersOutsideTheCodePageBecomeOneQuestionMarkEach)
{
    // A CJK character, a character outside the BMP (a surrogate pair) and a lone surrogate.
    const QString text = QStringLiteral("a") + QChar(0x4E2D) + QString::fromUtf8("\xF0\x9F\x98\x80") + QChar(0xD800)
        + QStringLiteral("b");
    EXPECT_EQ(Windows1251::Encode(text), QByteArray("a???b"));
}

TEST(Windows1251Test, DecodeStopsAtNulAndNeverReadsPastTheWidth)
{
    const std::array<char, 4> noNul = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(Windows1251::Decode(noNul.data(), 3), QStringLiteral("abc"));
    const std::array<char, 4> withNul = {'a', '\0', 'c', 'd'};
    EXPECT_EQ(Windows1251::Decode(withNul.data(), 4), QStringLiteral("a"));
}

TEST(Windows1251Test, EncodeIntoCutsAtTheFieldAndZeroFillsTheRest)
{
    std::array<char, 8> field;
    field.fill('x');
    EXPECT_EQ(Windows1251::EncodeInto(QStringLiteral("абвгдежзий"), field.data(), 6), 5u);
    EXPECT_EQ(QByteArray(field.data(), 6), Windows1251::Encode(QStringLiteral("абвгд")) + '\0');
    EXPECT_EQ(field[6], 'x'); // nothing beyond the field is touched

    field.fill('x');
    EXPECT_EQ(Windows1251::EncodeInto(QStringLiteral("ab"), field.data(), 6), 2u);
    EXPECT_EQ(QByteArray(field.data(), 6), QByteArray("ab\0\0\0\0", 6));
}
