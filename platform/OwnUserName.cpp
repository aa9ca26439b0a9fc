#include "platform/OwnUserName.h"

#include "platform/Windows1251.h"

#include <mutex>
#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

// A name field is 50 bytes with its NUL.
constexpr qsizetype kMaxNameBytes = 49;

std::mutex g_overrideMutex;
std::optional<QString> g_override;

QString LoginName()
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return {};
    return QString::fromLocal8Bit(found->pw_name);
}

} // namespace

QString GetOwnUserName()
{
    QString name;
    {
        std::lock_guard lock(g_overrideMutex);
        if (g_override)
            name = *g_override;
    }
    if (name.isNull())
        name = LoginName();
    return Windows1251::Decode(Windows1251::Encode(name, kMaxNameBytes));
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
