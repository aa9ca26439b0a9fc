#include "platform/RegistryFile.h"
#include "support/FileBytes.h"
#include "support/QtPrinters.h"
#include "support/RegistryPrinters.h"

#include <gtest/gtest.h>

namespace {

QByteArray GoldenFile()
{
    return FileBytes(qEnvironmentVariable("PELLWICK_SOURCE_DIR") + QStringLiteral("/tests/platform/data/golden.reg"));
}

} // namespace

// Its last values are ones text cannot carry: they must come back as hex.
TEST(RegistryFileTest, GoldenFileReadsToItsValuesAndWritesBackByteForByte)
{
    const QByteArray golden = GoldenFile();
    const RegistryFile::Parsed parsed = RegistryFile::Parse(golden);
    ASSERT_TRUE(parsed.IsWhole());
    const RegistryHive& hive = parsed.hive;

    const QString test = QStringLiteral("SOFTWARE\\Ravelstone\\Pellwick\\Тест \"кавычки\" [скобки]");
    ASSERT_TRUE(hive.KeyExists(test));
    EXPECT_EQ(*hive.Value(test, u""), RegistryValue::FromText(u"значение по умолчанию"));
    EXPECT_EQ(*hive.Value(test, u"Имя \"в кавычках\" и \\ слэш"),
              RegistryValue::FromText(u"C:\\Program Files\\Pellwick \"x\""));
    EXPECT_EQ(*hive.Value(test, u"Счётчик"), RegistryValue::FromDword(0xFFFFFFFF));
    EXPECT_EQ(*hive.Value(test, u"Binary"), (RegistryValue{RegistryType::Binary, QByteArray::fromHex("0001feff")}));
    const QByteArray lines = RegistryValue::FromText(u"один").data + RegistryValue::FromText(u"two").data;
    EXPECT_EQ(*hive.Value(test, u"Lines"), (RegistryValue{RegistryType::MultiString, lines + QByteArray(2, '\0')}));
    EXPECT_EQ(*hive.Value(test, u"Multi-line text"), RegistryValue::FromText(u"A\nB"));
    EXPECT_EQ(*hive.Value(test, u"Inner NUL"), RegistryValue::FromText(QStringView(u"a\0b", 3)));
    EXPECT_EQ(RegistryFile::Format(hive), golden);
}

TEST(RegistryFileTest, HandEditsAreTakenAsTheRegistryWouldTakeThem)
{
    const QByteArray edited = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                              "\r\n"
                              "; set by hand\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Ravelstone\\Pellwick\\Preferences\\Online Dialog]\r\n"
                              "  \"Text\" = \"255\"\r\n"
                              "\"Path\"=\"C:\\Temp\\x\"\r\n"
                              "\"Count\"=dword:1A\r\n"
                              "\"Bytes\"=hex: 1, 2 ,\\\r\n"
                              "    ff\r\n"
                              "\"text\"=\"65280\"\r\n";
    const RegistryFile::Parsed parsed = RegistryFile::Parse(edited);
    ASSERT_TRUE(parsed.IsWhole());

    // Names are found without regard to case; the keys above exist.
    const QString key = QStringLiteral("SOFTWARE\\RAVELSTONE\\Pellwick\\Preferences\\Online Dialog");
    EXPECT_TRUE(parsed.hive.KeyExists(u"software\\ravelstone\\pellwick\\preferences"));
    EXPECT_EQ(*parsed.hive.Value(key, u"TEXT"), RegistryValue::FromText(u"65280"));
    // A backslash that escapes nothing is taken as it stands.
    EXPECT_EQ(*parsed.hive.Value(key, u"Path"), RegistryValue::FromText(u"C:\\Temp\\x"));
    EXPECT_EQ(*parsed.hive.Value(key, u"Count"), RegistryValue::FromDword(26));
    EXPECT_EQ(*parsed.hive.Value(key, u"Bytes"), (RegistryValue{RegistryType::Binary, QByteArray::fromHex("0102ff")}));
}

TEST(RegistryFileTest, AnUnreadableLineCostsOnlyItselfAndAFileCutInsideALineIsNotWhole)
{
    const QByteArray damaged = "Windows Registry Editor Version 5.00\n"
                               "\"Orphan\"=\"before any key\"\n"
                               "[HKEY_CURRENT_USER\\A]\n"
                               "\"Good\"=\"1\"\n"
                               "\"Unterminated\"=\"2\n"
                               "\"Deleted\"=-\n"
                               "\"Bad hex\"=hex:1g,00\n"
                               "\"Long dword\"=dword:123456789\n"
                               "\"Cut\"=hex:00,\\\n"
                               "\n"
                               "[HKEY_LOCAL_MACHINE\\B]\n"
                               "\"Other hive\"=\"3\"\n"
                               "[HKEY_CURRENT_USER\\C\\\\D]\n"
                               "[HKEY_CURRENT_USER\\A]\n"
                               "\"Also good\"=dword:00000002\n";
    const RegistryFile::Parsed parsed = RegistryFile::Parse(damaged);
    EXPECT_TRUE(parsed.readable);
    EXPECT_FALSE(parsed.IsWhole());
    EXPECT_EQ(parsed.unreadableLines, 9);
    EXPECT_EQ(*parsed.hive.Value(u"A", u"Good"), RegistryValue::FromText(u"1"));
    EXPECT_EQ(*parsed.hive.Value(u"A", u"Also good"), RegistryValue::FromDword(2));
    EXPECT_EQ(parsed.hive.Keys().size(), 1);

    // What is no registry file at all, or was cut inside a line, is told.
    for (const QByteArray& bytes : {QByteArray("REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n"),
                                    QByteArray("Windows Registry Editor Version 5.00\n\x00\x01\x02", 40),
                                    QByteArray("Windows Registry Editor Version 5.00\n\"a\"=\"\xC0\xAF\"\n")})
        EXPECT_FALSE(RegistryFile::Parse(bytes).readable) << bytes.toHex().toStdString();

    const QByteArray golden = GoldenFile();
    for (qsizetype length = 0; length < golden.size(); ++length)
        if (length == 0 || golden[length - 1] != '\n') {
            EXPECT_FALSE(RegistryFile::Parse(golden.left(length)).IsWhole()) << length;
        }
}
