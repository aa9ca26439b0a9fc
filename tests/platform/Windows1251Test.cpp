#include "platform/Windows1251.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <array>

TEST(Windows1251Test, EachCharacterIsOneByteAndWhatTheCodePageLacksIsAQuestionMark)
{
    const std::pair<QString, QByteArray> cases[] = {
        {QStringLiteral("Привет, Ёё №5"),
         QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xB8 \xB9"
                    "5")},
        // A CJK character, a character outside the BMP (a surrogate pair) and a lone surrogate.
        {QStringLiteral("a") + QChar(0x4E2D) + QString::fromUtf8("\xF0\x9F\x98\x80") + QChar(0xD800)
             + QStringLiteral("b"),
         "a???b"},
    };
    for (const auto& [text, bytes] : cases)
        EXPECT_EQ(Windows1251::Encode(text), bytes) << text.toStdString();
    EXPECT_EQ(Windows1251::Decode(cases[0].second), cases[0].first);

    QByteArray all;
    for (int byte = 1; byte < 256; ++byte)
        all.append(static_cast<char>(byte));
    EXPECT_EQ(Windows1251::Encode(Windows1251::Decode(all)), all);
}

TEST(Windows1251Test, FieldsAreReadUpToTheirNulOrWidthAndWrittenCutAndZeroFilled)
{
    const std::array<char, 4> noNul = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(Windows1251::Decode(noNul.data(), 3), QStringLiteral("abc"));
    const std::array<char, 4> withNul = {'a', '\0', 'c', 'd'};
    EXPECT_EQ(Windows1251::Decode(withNul.data(), 4), QStringLiteral("a"));

    std::array<char, 8> field;
    for (const auto& [text, written] : {std::pair(u"абвгдежзий", 5u), std::pair(u"ab", 2u)}) {
        field.fill('x');
        EXPECT_EQ(Windows1251::EncodeInto(QString::fromUtf16(text), field.data(), 6), written);
        const QByteArray expected = Windows1251::Encode(QString::fromUtf16(text).left(static_cast<qsizetype>(written)));
        EXPECT_EQ(QByteArray(field.data(), 6), expected + QByteArray(6 - expected.size(), '\0'));
        EXPECT_EQ(field[6], 'x'); // nothing beyond the field is touched
    }
}
