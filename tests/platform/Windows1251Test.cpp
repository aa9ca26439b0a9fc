#include "platform/Windows1251.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <utility>

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
