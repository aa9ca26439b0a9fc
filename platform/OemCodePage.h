#pragma once

#include <QByteArray>
#include <QLocale>
#include <QStringView>

#include <optional>

// The OEM code pages in which Windows writes NetBIOS names (computer and workgroup names).
// Only the two that Windows machines on our users' networks use are known.
namespace OemCodePage {

inline constexpr int kCyrillic = 866;
inline constexpr int kWesternEuropean = 850;

bool IsKnown(int codePage);

// The code page of a Windows machine set up for that locale: CP866 for Russian and the other
// Cyrillic locales, CP850 for the rest.
int ForLocale(const QLocale& locale);

// The text in that code page; nothing when a character has no byte there or is a control
// character.
std::optional<QByteArray> Encode(QStringView text, int codePage);

// A NetBIOS name as Windows writes it: upper case, in the code page, at most 15 bytes (one
// byte a character, so a cut never splits one). Nothing for an empty name or one that
// cannot be written in the code page.
std::optional<QByteArray> NetBiosName(QStringView name, int codePage);

} // namespace OemCodePage
