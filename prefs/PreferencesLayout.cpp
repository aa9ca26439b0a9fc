#include "prefs/PreferencesLayout.h"

#include "prefs/CRegistry.h"
#include "prefs/PreferencesChat.h"
#include "prefs/PreferencesInMessage.h"
#include "prefs/PreferencesOnline.h"
#include "prefs/PreferencesSendMessage.h"

#include <algorithm>
#include <array>

// Every stored value of the tree is named here and nowhere else. Values are written and read
// in the order of these tables: colours, then per font its height, its face name, its weight
// and its style flags.
namespace {

using RegistryKeys::kCompany;
using RegistryKeys::kProduct;

constexpr QStringView kChatSection = u"Preferences\\Chat Dialog";
constexpr QStringView kIncomingSection = u"Preferences\\Incoming Message Dialog";
constexpr QStringView kSendMessageSection = u"Preferences\\Send Message Dialog";
constexpr QStringView kOnlineSection = u"Preferences\\Online Dialog";

template <typename Record> struct StoredColor {
    QStringView name;
    COLORREF Record::*field;
};

template <typename Record> struct StoredFont {
    QStringView prefix; // "Text": TextFontHeight, TextFontName, TextFontWeight...
    FontRecord Record::*field;
};

// After a font's height and face: its weight and style flags, which a font picker offers too.
// A value that is missing or cannot be read leaves that part normal.
struct StoredFontStyle {
    QStringView suffix;
    int FontRecord::*number = nullptr;
    bool FontRecord::*flag = nullptr;
};
constexpr std::array<StoredFontStyle, 4> kFontStyle{{
    {u"FontWeight", &FontRecord::weight, nullptr},
    {u"FontItalic", nullptr, &FontRecord::italic},
    {u"FontUnderline", nullptr, &FontRecord::underline},
    {u"FontStrikeOut", nullptr, &FontRecord::strikeOut},
}};

template <typename Record, std::size_t Colors, std::size_t Fonts> struct SectionLayout {
    std::array<StoredColor<Record>, Colors> colors;
    std::array<StoredFont<Record>, Fonts> fonts;
};

using List = PreferencesMessageList;
constexpr SectionLayout<List, 3, 2> kListLayout{
    {{{u"Title", &List::m_crTitle}, {u"Text", &List::m_crText}, {u"Background", &List::m_crBackground}}},
    {{{u"Title", &List::m_fontTitle}, {u"Text", &List::m_fontText}}},
};

constexpr SectionLayout<PreferencesSendMessage, 2, 1> kSendMessageLayout{
    {{{u"Text", &PreferencesSendMessage::m_crText}, {u"Background", &PreferencesSendMessage::m_crBackground}}},
    {{{u"Text", &PreferencesSendMessage::m_fontText}}},
};

constexpr SectionLayout<PreferencesOnline, 1, 1> kOnlineLayout{
    {{{u"Text", &PreferencesOnline::m_crText}}},
    {{{u"Text", &PreferencesOnline::m_fontText}}},
};

constexpr std::array<std::pair<QStringView, std::int32_t OnlinePlacement::*>, 4> kPlacementValues{{
    {u"Top", &OnlinePlacement::top},
    {u"Left", &OnlinePlacement::left},
    {u"Height", &OnlinePlacement::height},
    {u"Width", &OnlinePlacement::width},
}};

QString ValuePath(QStringView section, QStringView name, QStringView suffix = {})
{
    QString path = section.toString();
    path += u'\\';
    path += name;
    path += suffix;
    return path;
}

// A record is saved in one write of the file, so a crash never leaves half a section. A
// colour is written when it was picked: it is stored already, or differs from the colour the
// record has by default (the desktop's now); the others go on following the desktop.
template <typename Record, typename Layout>
void Save(CRegistry& registry, QStringView section, const Layout& layout, const Record& record)
{
    const Record defaults;
    QList<std::pair<QString, QString>> values;
    for (const auto& color : layout.colors) {
        const QString path = ValuePath(section, color.name);
        QString stored;
        if (record.*color.field == defaults.*color.field && !registry.ReadString(kCompany, kProduct, path, stored))
            continue;
        values.append({path, QString::number(static_cast<std::int32_t>(record.*color.field))});
    }
    for (const auto& font : layout.fonts) {
        const FontRecord& stored = record.*font.field;
        values.append({ValuePath(section, font.prefix, u"FontHeight"), QString::number(stored.height)});
        values.append({ValuePath(section, font.prefix, u"FontName"), stored.face});
        for (const StoredFontStyle& style : kFontStyle)
            values.append({ValuePath(section, font.prefix, style.suffix),
                           QString::number(style.number ? stored.*style.number : int(stored.*style.flag))});
    }
    registry.WriteStrings(kCompany, kProduct, values);
}

template <typename Layout> void AppendColorPaths(QStringList& paths, QStringView section, const Layout& layout)
{
    for (const auto& color : layout.colors)
        paths.append(ValuePath(section, color.name));
}

template <typename Record, typename Layout>
void Load(CRegistry& registry, QStringView section, const Layout& layout, Record& record)
{
    // The path's last component counts as a value name, so this asks for the key that holds
    // all sections: once any window has stored its section, every window reads its own.
    if (!registry.KeyExists(kCompany, kProduct, section)) {
        Save(registry, section, layout, record);
        return;
    }
    for (const auto& color : layout.colors) {
        std::int32_t number = 0;
        if (registry.ReadNumber(kCompany, kProduct, ValuePath(section, color.name), number))
            record.*color.field = static_cast<COLORREF>(number);
    }
    for (const auto& font : layout.fonts) {
        std::int32_t height = 0;
        QString face;
        if (!registry.ReadNumber(kCompany, kProduct, ValuePath(section, font.prefix, u"FontHeight"), height)
            || !registry.ReadString(kCompany, kProduct, ValuePath(section, font.prefix, u"FontName"), face))
            continue;
        FontRecord read{.height = height, .face = face.left(FontRecord::kMaxFaceLength)};
        for (const StoredFontStyle& style : kFontStyle) {
            std::int32_t number = 0;
            if (!registry.ReadNumber(kCompany, kProduct, ValuePath(section, font.prefix, style.suffix), number))
                continue;
            if (style.number)
                read.*style.number = std::clamp(number, 100, 900);
            else
                read.*style.flag = number != 0;
        }
        record.*font.field = read;
    }
}

// Calls action(section, layout, record) with the record's section, tested in this order;
// nothing for a record whose class is kept nowhere.
template <typename Action> void WithSection(const Preferences& record, Action&& action)
{
    if (const auto* chat = dynamic_cast<const PreferencesChat*>(&record))
        action(kChatSection, kListLayout, static_cast<const List&>(*chat));
    else if (const auto* incoming = dynamic_cast<const PreferencesInMessage*>(&record))
        action(kIncomingSection, kListLayout, static_cast<const List&>(*incoming));
    else if (const auto* sendMessage = dynamic_cast<const PreferencesSendMessage*>(&record))
        action(kSendMessageSection, kSendMessageLayout, *sendMessage);
    else if (const auto* online = dynamic_cast<const PreferencesOnline*>(&record))
        action(kOnlineSection, kOnlineLayout, *online);
}

} // namespace

void LoadPreferences(CRegistry& registry, Preferences& record)
{
    WithSection(record, [&registry](QStringView section, const auto& layout, const auto& found) {
        // found is the caller's record, which is not const.
        using Record = std::remove_cvref_t<decltype(found)>;
        Load(registry, section, layout, const_cast<Record&>(found));
    });
}

void SavePreferences(CRegistry& registry, const Preferences& record)
{
    WithSection(record, [&registry](QStringView section, const auto& layout, const auto& found) {
        Save(registry, section, layout, found);
    });
}

bool LoadOnlinePlacement(CRegistry& registry, OnlinePlacement& placement)
{
    // Before the window was ever closed there is nothing to restore: the four numbers are
    // used only when every one of them was read.
    OnlinePlacement read;
    for (const auto& [name, field] : kPlacementValues) {
        if (!registry.ReadNumber(kCompany, kProduct, ValuePath(kOnlineSection, name), read.*field))
            return false;
    }
    placement = read;
    return true;
}

void SaveOnlinePlacement(CRegistry& registry, const OnlinePlacement& placement)
{
    QList<std::pair<QString, QString>> values;
    for (const auto& [name, field] : kPlacementValues)
        values.append({ValuePath(kOnlineSection, name), QString::number(placement.*field)});
    registry.WriteStrings(kCompany, kProduct, values);
}

bool ForgetPickedColors(CRegistry& registry)
{
    QStringList paths;
    AppendColorPaths(paths, kChatSection, kListLayout);
    AppendColorPaths(paths, kIncomingSection, kListLayout);
    AppendColorPaths(paths, kSendMessageSection, kSendMessageLayout);
    AppendColorPaths(paths, kOnlineSection, kOnlineLayout);
    return registry.DeleteValues(kCompany, kProduct, paths);
}
