#include "prefs/PreferencesLayout.h"
#include "platform/RegistryFile.h"
#include "prefs/CRegistry.h"
#include "prefs/PreferencesChat.h"
#include "prefs/PreferencesOnline.h"
#include "prefs/PreferencesSendMessage.h"
#include "support/FileBytes.h"
#include "support/QtPrinters.h"

#include <QGuiApplication>
#include <QPalette>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class PreferencesLayoutTest : public ::testing::Test {
protected:
    // The values of one section below the program's key, in file order, as "name=text; ...".
    QString Section(QStringView section)
    {
        EXPECT_TRUE(m_registry.Flush());
        const RegistryFile::Parsed parsed = RegistryFile::Parse(FileBytes(m_path));
        QStringList values;
        for (const RegistryHive::Key& key : parsed.hive.Keys()) {
            if (key.path != QStringLiteral("SOFTWARE\\Ravelstone\\Pellwick\\") + section.toString())
                continue;
            for (const auto& [name, value] : key.values)
                values.append(name + u'=' + value.Utf16().chopped(1));
        }
        return values.join(QStringLiteral("; "));
    }

    // The style values of a regular font.
    static QString Regular(QStringView font)
    {
        return QStringLiteral("%1FontWeight=400; %1FontItalic=0; %1FontUnderline=0; %1FontStrikeOut=0").arg(font);
    }

    void Write(QStringView path, QStringView text)
    {
        ASSERT_TRUE(m_registry.WriteString(RegistryKeys::kCompany, RegistryKeys::kProduct, path, text));
    }

    QTemporaryDir m_dir;
    const QString m_path = m_dir.path() + QStringLiteral("/pellwick/registry.reg");
    CRegistry m_registry{m_path};
    const QString m_text = QString::number(ToColorRef(QGuiApplication::palette().color(QPalette::WindowText)));
};

} // namespace

TEST_F(PreferencesLayoutTest, FirstStartWritesOnlyTheFirstWindowsSectionAndEachSaveItsOwnInItsOrder)
{
    PreferencesChat chat;
    LoadPreferences(m_registry, chat);
    // Colours nobody picked stay out of the file: they follow the desktop.
    EXPECT_EQ(
        Section(u"Preferences\\Chat Dialog"),
        QStringLiteral("TitleFontHeight=14; TitleFontName=Arial Cyr; %1; TextFontHeight=14; TextFontName=Arial Cyr; %2")
            .arg(Regular(u"Title"), Regular(u"Text")));
    // The Preferences key exists now: the others read their empty sections and write nothing.
    const QByteArray afterFirst = FileBytes(m_path);
    PreferencesOnline online;
    PreferencesSendMessage sendMessage;
    LoadPreferences(m_registry, online);
    LoadPreferences(m_registry, sendMessage);
    EXPECT_TRUE(m_registry.Flush());
    EXPECT_EQ(FileBytes(m_path), afterFirst);

    sendMessage.m_crText = MakeColorRef(255, 0, 0);
    sendMessage.m_crBackground = 0x00FFFFFE;
    sendMessage.m_fontText = FontRecord{-13, 700, true, true, true, QStringLiteral("Liberation Serif")};
    SavePreferences(m_registry, sendMessage);
    EXPECT_EQ(Section(u"Preferences\\Send Message Dialog"),
              QStringLiteral("Text=255; Background=16777214; TextFontHeight=-13; TextFontName=Liberation Serif; "
                             "TextFontWeight=700; TextFontItalic=1; TextFontUnderline=1; TextFontStrikeOut=1"));

    // Once stored, a colour is the user's, also when it is the desktop's.
    online.m_crText = 1;
    SavePreferences(m_registry, online);
    EXPECT_TRUE(m_registry.Flush());
    online.m_crText = PreferencesOnline().m_crText;
    SavePreferences(m_registry, online);
    EXPECT_EQ(Section(u"Preferences\\Online Dialog"),
              QStringLiteral("Text=%1; TextFontHeight=14; TextFontName=Arial Cyr; ").arg(m_text) + Regular(u"Text"));
}

// Weights are held to 100..900, a style value that cannot be read stays normal.
TEST_F(PreferencesLayoutTest, AFontIsReplacedOnlyWhenBothItsHeightAndItsFaceWereRead)
{
    Write(u"Preferences\\Chat Dialog\\TitleFontHeight", u"20");
    Write(u"Preferences\\Chat Dialog\\TitleFontName", u"Liberation Mono");
    Write(u"Preferences\\Chat Dialog\\TitleFontWeight", u"5000");
    Write(u"Preferences\\Chat Dialog\\TitleFontItalic", u"yes");
    Write(u"Preferences\\Chat Dialog\\TitleFontUnderline", u"2");
    PreferencesChat chat;
    LoadPreferences(m_registry, chat);
    EXPECT_EQ(chat.m_fontTitle,
              (FontRecord{.height = 20, .weight = 900, .underline = true, .face = QStringLiteral("Liberation Mono")}));
    EXPECT_EQ(chat.m_fontText, PreferencesChat().m_fontText); // not the title font's values
}
