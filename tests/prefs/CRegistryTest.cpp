#include "prefs/CRegistry.h"
#include "platform/RegistryStore.h"
#include "support/FileBytes.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlertSink.h"
#include "support/RegistryPrinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace {

class CRegistryTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    const QString m_path = m_dir.path() + QStringLiteral("/pellwick/registry.reg");
    CRegistry m_registry{m_path};
    // The same file seen from below, to set up and look at typed values.
    RegistryStore m_store{m_path};

    std::optional<RegistryValue> Stored(QStringView key, QStringView name)
    {
        EXPECT_TRUE(m_registry.Flush());
        return m_store.Value(key, name);
    }
};

} // namespace

TEST_F(CRegistryTest, PathsAreBuiltBelowSoftwareAndSplitAtTheLastBackslash)
{
    EXPECT_TRUE(m_registry.WriteString(u"Ravelstone", u"Pellwick", u"Preferences\\Online Dialog\\Text", u"0"));
    EXPECT_EQ(Stored(u"SOFTWARE\\Ravelstone\\Pellwick\\Preferences\\Online Dialog", u"Text"),
              RegistryValue::FromText(u"0"));
    // Text outside the code page is stored as '?', up to a NUL in it.
    EXPECT_TRUE(m_registry.WriteString(u"Ravelstone", u"Pellwick", u"T\\Outside", QStringView(u"日本\0cut", 6)));
    EXPECT_EQ(Stored(u"SOFTWARE\\Ravelstone\\Pellwick\\T", u"Outside"), RegistryValue::FromText(u"??"));
    EXPECT_TRUE(m_registry.KeyExists(u"Ravelstone", u"Pellwick", u"Preferences\\Online Dialog\\Nothing"));
}

TEST_F(CRegistryTest, EachValueIsReadAsTextAndAsANumberByItsType)
{
    const QString untouched = QStringLiteral("untouched");
    const QString full(256, u'я');
    const QByteArray unterminated = RegistryValue::FromText(full).data.chopped(2);
    struct Case {
        const char* what;
        std::optional<RegistryValue> stored;
        bool read; // as text and as a number
        QString text; // untouched: left as it was
        std::int32_t number; // 99: left as it was
    };
    const Case cases[] = {
        {"Cyrillic text", RegistryValue::FromText(u"Привет, мир"), true, QStringLiteral("Привет, мир"), 0},
        {"255 characters", RegistryValue::FromText(QString(255, u'я')), true, QString(255, u'я'), 0},
        {"over the buffer", RegistryValue::FromText(full), false, untouched, 99},
        {"a full buffer without NUL", RegistryValue{RegistryType::String, unterminated}, true, full, 0},
        {"missing", std::nullopt, false, untouched, 99},
        {"DWORD", RegistryValue::FromDword(4294967295u), true, QStringLiteral("-1"), -1},
        {"binary", RegistryValue{RegistryType::Binary, QByteArray("12", 2)}, false, QStringLiteral("Binary data"), 99},
        {"multi-string", RegistryValue::FromText(u"1", RegistryType::MultiString), false,
         QStringLiteral("Can't convert to string"), 99},
        // Numbers in text are read as atol reads them, held to 32 bits.
        {" \t-13abc", RegistryValue::FromText(u" \t-13abc"), true, QStringLiteral(" \t-13abc"), -13},
        {"2147483648", RegistryValue::FromText(u"2147483648"), true, QStringLiteral("2147483648"), INT32_MAX},
        {"-99999999999", RegistryValue::FromText(u"-99999999999"), true, QStringLiteral("-99999999999"), INT32_MIN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString name = QString::fromLatin1(c.what);
        if (c.stored) {
            ASSERT_TRUE(m_store.SetValue(u"SOFTWARE\\Ravelstone\\Pellwick\\T", name, *c.stored));
            ASSERT_TRUE(m_store.Flush());
        }
        QString text = untouched;
        std::int32_t number = 99;
        EXPECT_EQ(m_registry.ReadString(u"Ravelstone", u"Pellwick", QStringLiteral("T\\") + name, text), c.read);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(m_registry.ReadNumber(u"Ravelstone", u"Pellwick", QStringLiteral("T\\") + name, number), c.read);
        EXPECT_EQ(number, c.number);
    }
}

TEST_F(CRegistryTest, AFileThatCannotBeWrittenIsToldOnceAndWhatWasWrittenHoldsForTheRun)
{
    RecordingAlertSink alerts;
    m_registry.ReportWriteFailuresTo(alerts);
    ASSERT_TRUE(m_registry.WriteNumber(u"Ravelstone", u"Pellwick", u"Preferences\\Online Dialog\\Top", 1));
    ASSERT_TRUE(m_registry.Flush());
    // Made read-only by the user; the store's tests cover the other causes.
    ASSERT_TRUE(QFile::setPermissions(m_path, QFile::ReadOwner));
    const QByteArray before = FileBytes(m_path);
    EXPECT_TRUE(m_registry.WriteNumber(u"Ravelstone", u"Pellwick", u"Preferences\\Online Dialog\\Top", 2));
    EXPECT_FALSE(m_registry.Flush());
    std::int32_t read = 0;
    EXPECT_TRUE(m_registry.ReadNumber(u"Ravelstone", u"Pellwick", u"Preferences\\Online Dialog\\Top", read));
    EXPECT_EQ(read, 2);
    EXPECT_EQ(FileBytes(m_path), before);
    ASSERT_EQ(alerts.Texts().size(), 1);
    EXPECT_TRUE(alerts.Texts()[0].contains(m_path));
    EXPECT_TRUE(alerts.Texts()[0].contains(QStringLiteral("только для чтения")));
}
