#pragma once

#include <QStringView>

#include <cstdint>

class CRegistry;
class Preferences;

// Where the program keeps its own settings: HKEY_CURRENT_USER\SOFTWARE\Ravelstone\Pellwick.
namespace RegistryKeys {
inline constexpr QStringView kCompany = u"Ravelstone";
inline constexpr QStringView kProduct = u"Pellwick";
} // namespace RegistryKeys

// The Online window's placement in screen pixels, kept beside its appearance.
struct OnlinePlacement {
    std::int32_t top = 0;
    std::int32_t left = 0;
    std::int32_t height = 0;
    std::int32_t width = 0;
};

// Reads the record's section into it. While the program's "Preferences" key does not exist
// (first start), writes the record's current values (its fonts, and colours only if picked:
// see SavePreferences) as its section instead and leaves the record as it is. A colour that
// cannot be read keeps its value; a font is replaced only when both its height and its face
// name were read, and takes its weight and style flags where they were stored (normal where
// not: files of older versions hold none).
void LoadPreferences(CRegistry& registry, Preferences& record);
// Writes every stored value of the record's section in the section's order; a colour only
// when it is stored already or differs from the record's default, so that colours nobody
// picked are not written and go on following the desktop.
void SavePreferences(CRegistry& registry, const Preferences& record);

// The stored placement; false, and the placement untouched, unless all four numbers were read.
bool LoadOnlinePlacement(CRegistry& registry, OnlinePlacement& placement);
void SaveOnlinePlacement(CRegistry& registry, const OnlinePlacement& placement);

// Removes every window's stored colours: all of them follow the desktop again.
bool ForgetPickedColors(CRegistry& registry);
