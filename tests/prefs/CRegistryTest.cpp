#include "prefs/CRegistry.h"
#include "platform/RegistryStore.h"
#include "support/QtPrinters.h"
#include "support/RegistryPrinters.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

namespace {

class CRegistryTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    const QString m_path = m_dir.path() + QStringLiteral("/pellwick/registry.reg");
    CRegistry m_registry{m_path};
    // The same file seen from below, to set up and look at typed values.
    RegistryStore m_store{m_path};
};

} // namespace

TEST_F(CRegistryTest, PathsAreBuiltBelowSoftwareAndSplitAtTheLastBackslash)
{
    EXPECT_TRUE(m_registry.WriteString(u"Ravelstone", u"Pellwick", u"Preferences\\Online Dialog\\Text", u"0"));
    EXPECT_EQ(m_store.Value(u"SOFTWARE\\Ravelstone\\Pellwick\\Preferences\\Online Dialog", u"Text"),
              RegistryValue::FromText(u"0"));
    // Without a company its part is left out.
    EXPECT_TRUE(m_registry.WriteNumber(u"", u"Pellwick", u"Preferences\\X", -5));
    EXPECT_EQ(m_store.Value(u"SOFTWARE\\Pellwick\\Preferences", u"X"), RegistryValue::FromText(u"-5"));
    // A path ending in a backslash addresses the key's default value.
    EXPECT_TRUE(m_registry.WriteString(u"Ravelstone", u"Pellwick", u"Preferences\\", u"default"));
    EXPECT_EQ(m_store.Value(u"SOFTWARE\\Ravelstone\\Pellwick\\Preferences", u""), RegistryValue::FromText(u"default"));
    // A path the registry would refuse stores nothing.
    EXPECT_FALSE(m_registry.WriteString(u"Ravelstone", u"", u"Preferences\\X", u"1"));
}

TEST_F(CRegistryTest, KeyExistsLooksOnlyAtTheKeyBeforeTheLastComponent)
{
    EXPECT_FALSE(m_registry.KeyExists(u"Ravelstone", u"Pellwick", u"Preferences\\Online Dialog"));
    ASSERT_TRUE(m_registry.WriteString(u"Ravelstone", u"Pellwick", u"Preferences\\Chat Dialog\\Title", u"0"));
    EXPECT_TRUE(m_registry.KeyExists(u"Ravelstone", u"Pellwick", u"Preferences\\Online Dialog"));
    EXPECT_TRUE(m_registry.KeyExists(u"Ravelstone", u"Pellwick", u"Preferences\\Chat Dialog\\Nothing"));
    EXPECT_FALSE(m_registry.KeyExists(u"Ravelstone", u"Pellwick", u"Preferences\\Online Dialog\\Text"));
    EXPECT_FALSE(m_registry.KeyExists(u"Microsoft", u"Pellwick", u"Preferences\\Online Dialog"));
}

TEST_F(CRegistryTest, TextGoesThroughTheAnsiCodePageAndItsBuffer)
{
    QString text;
    ASSERT_TRUE(m_registry.WriteString(u"Ravelstone", u"Pellwick", u"T\\Cyrillic", u"Привет, мир"));
    EXPECT_TRUE(m_registry.ReadString(u"Ravelstone", u"Pellwick", u"T\\Cyrillic", text));
    EXPECT_EQ(text, QStringLiteral("Привет, мир"));
    ASSERT_TRUE(m_registry.WriteString(u"Ravelstone", u"Pellwick", u"T\\Outside", QStringView(u"日本\0cut", 6)));
    EXPECT_EQ(m_store.Value(u"SOFTWARE\\Ravelstone\\Pellwick\\T", u"Outside"), RegistryValue::FromText(u"??"));

    ASSERT_TRUE(m_registry.WriteString(u"Ravelstone", u"Pellwick", u"T\\255", QString(255, u'я')));
    EXPECT_TRUE(m_registry.ReadString(u"Ravelstone", u"Pellwick", u"T\\255", text));
    EXPECT_EQ(text, QString(255, u'я'));
    ASSERT_TRUE(m_registry.WriteString(u"Ravelstone", u"Pellwick", u"T\\256", QString(256, u'я')));
    text = QStringLiteral("unchanged");
    std::int32_t number = 7;
    EXPECT_FALSE(m_registry.ReadString(u"Ravelstone", u"Pellwick", u"T\\256", text));
    EXPECT_FALSE(m_registry.ReadNumber(u"Ravelstone", u"Pellwick", u"T\\256", number));
    EXPECT_FALSE(m_registry.ReadString(u"Ravelstone", u"Pellwick", u"T\\Missing", text));
    EXPECT_EQ(text, QStringLiteral("unchanged"));
    EXPECT_EQ(number, 7);
}

TEST_F(CRegistryTest, NumbersAreReadAsAtolReadsThem)
{
    const std::pair<const char16_t*, std::int32_t> cases[] = {
        {u"12abc", 12},
        {u"abc", 0},
        {u"", 0},
        {u" \t-13", -13},
        {u"+42", 42},
        {u"- 5", 0},
        {u"16777215", 16777215},
        {u"2147483648", 2147483647},
        {u"-99999999999", -2147483647 - 1},
    };
    for (const auto& [stored, expected] : cases) {
        ASSERT_TRUE(m_registry.WriteString(u"Ravelstone", u"Pellwick", u"N\\Value", stored));
        std::int32_t number = 99;
        EXPECT_TRUE(m_registry.ReadNumber(u"Ravelstone", u"Pellwick", u"N\\Value", number));
        EXPECT_EQ(number, expected) << QString::fromUtf16(stored).toStdString();
    }
}

TEST_F(CRegistryTest, OtherTypesAreConvertedOrRefusedByTheirType)
{
    const QString key = QStringLiteral("SOFTWARE\\Ravelstone\\Pellwick\\Typed");
    ASSERT_TRUE(m_store.SetValue(key, u"Dword", RegistryValue::FromDword(4294967295u)));
    ASSERT_TRUE(m_store.SetValue(key, u"Binary", RegistryValue{RegistryType::Binary, QByteArray("12", 2)}));
    ASSERT_TRUE(m_store.SetValue(key, u"Expand", RegistryValue::FromText(u"%HOME%\\x", RegistryType::ExpandString)));
    ASSERT_TRUE(m_store.SetValue(key, u"Multi", RegistryValue::FromText(u"1", RegistryType::MultiString)));
    ASSERT_TRUE(m_store.SetValue(key, u"Big binary", RegistryValue{RegistryType::Binary, QByteArray(300, '1')}));

    QString text;
    std::int32_t number = 5;
    EXPECT_TRUE(m_registry.ReadString(u"Ravelstone", u"Pellwick", u"Typed\\Dword", text));
    EXPECT_EQ(text, QStringLiteral("-1"));
    EXPECT_TRUE(m_registry.ReadNumber(u"Ravelstone", u"Pellwick", u"Typed\\Dword", number));
    EXPECT_EQ(number, -1);

    number = 5;
    EXPECT_FALSE(m_registry.ReadString(u"Ravelstone", u"Pellwick", u"Typed\\Binary", text));
    EXPECT_EQ(text, QStringLiteral("Binary data"));
    EXPECT_FALSE(m_registry.ReadNumber(u"Ravelstone", u"Pellwick", u"Typed\\Binary", number));
    EXPECT_EQ(number, 5);

    EXPECT_TRUE(m_registry.ReadString(u"Ravelstone", u"Pellwick", u"Typed\\Expand", text));
    EXPECT_EQ(text, QStringLiteral("%HOME%\\x"));
    EXPECT_FALSE(m_registry.ReadString(u"Ravelstone", u"Pellwick", u"Typed\\Multi", text));
    EXPECT_EQ(text, QStringLiteral("Can't convert to string"));
    // Text that fills the buffer without a NUL is read up to the buffer's end, never past it.
    const QByteArray unterminated = RegistryValue::FromText(QString(256, u'я')).data.chopped(2);
    ASSERT_TRUE(m_store.SetValue(key, u"Full", RegistryValue{RegistryType::String, unterminated}));
    EXPECT_TRUE(m_registry.ReadString(u"Ravelstone", u"Pellwick", u"Typed\\Full", text));
    EXPECT_EQ(text, QString(256, u'я'));
    // Over the buffer the query itself fails and the text stays as it was.
    EXPECT_FALSE(m_registry.ReadString(u"Ravelstone", u"Pellwick", u"Typed\\Big binary", text));
    EXPECT_EQ(text, QString(256, u'я'));
}

TEST_F(CRegistryTest, ThreadsWritingUnderDifferentCompaniesLoseNoValueAndNeverMixThem)
{
    constexpr int kWrites = 40;
    const auto writer = [this](const char16_t* company) {
        for (int i = 0; i < kWrites; ++i)
            EXPECT_TRUE(
                m_registry.WriteNumber(company, u"Pellwick", QStringLiteral("Burst\\") + QString::number(i), i));
    };
    std::thread first(writer, u"Ravelstone");
    std::thread second(writer, u"Microsoft");
    // A reader on this thread meanwhile.
    std::int32_t number = 0;
    for (int i = 0; i < kWrites; ++i)
        m_registry.ReadNumber(u"Ravelstone", u"Pellwick", u"Burst\\0", number);
    first.join();
    second.join();

    for (const char16_t* company : {u"Ravelstone", u"Microsoft"}) {
        for (int i = 0; i < kWrites; ++i) {
            number = -1;
            EXPECT_TRUE(
                m_registry.ReadNumber(company, u"Pellwick", QStringLiteral("Burst\\") + QString::number(i), number));
            EXPECT_EQ(number, i);
        }
    }
    EXPECT_FALSE(m_registry.KeyExists(u"", u"Pellwick", u"Burst\\0"));
}
