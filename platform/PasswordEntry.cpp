#include "platform/PasswordEntry.h"

#include <pwd.h>
#include <unistd.h>
#include <vector>

std::optional<PasswordEntry> OwnPasswordEntry()
{
    const long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return std::nullopt;
    return PasswordEntry{QString::fromLocal8Bit(found->pw_name),
                         found->pw_dir ? QString::fromLocal8Bit(found->pw_dir) : QString()};
}
