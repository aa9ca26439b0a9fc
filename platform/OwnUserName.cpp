#include "platform/OwnUserName.h"

#include "platform/PasswordEntry.h"
#include "platform/Windows1251.h"

#include <mutex>
#include <optional>

namespace {

// A name field is 50 bytes with its NUL.
constexpr qsizetype kMaxNameBytes = 49;

std::mutex g_overrideMutex;
std::optional<QString> g_override;

QString CutToNameField(const QString& name)
{
    return Windows1251::Decode(Windows1251::Encode(name, kMaxNameBytes));
}

} // namespace

QString GetOwnUserName()
{
    {
        std::lock_guard lock(g_overrideMutex);
        if (g_override)
            return CutToNameField(*g_override);
    }
    static const QString resolved = [] {
        const std::optional<PasswordEntry> entry = OwnPasswordEntry();
        return CutToNameField(entry ? entry->loginName : QString());
    }();
    return resolved;
}

OwnUserNameOverride::OwnUserNameOverride(const QString& name)
{
    std::lock_guard lock(g_overrideMutex);
    g_override = name.isNull() ? QStringLiteral("") : name;
}

OwnUserNameOverride::~OwnUserNameOverride()
{
    std::lock_guard lock(g_overrideMutex);
    g_override.reset();
}
