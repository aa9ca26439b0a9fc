#include "support/PrivateNetwork.h"

#include <cstring>
#include <fstream>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

constexpr int kUnavailableCode = 77; // the child's exit code when unshare fails

const std::string& PrivateNetwork::Unavailable()
{
    static const std::string text = "no private namespace can be made here";
    return text;
}

std::string PrivateNetwork::Run(const std::function<std::string()>& body, bool privateMounts)
{
    int channel[2];
    if (pipe(channel) != 0)
        return "pipe failed";
    const std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
    const pid_t child = fork();
    if (child < 0)
        return "fork failed";
    if (child == 0) {
        close(channel[0]);
        const int mounts = privateMounts ? CLONE_NEWNS : 0;
        if (unshare((uid == "0" ? CLONE_NEWNET : CLONE_NEWUSER | CLONE_NEWNET) | mounts) != 0
            || (privateMounts && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0))
            _exit(kUnavailableCode);
        // Root in its namespace: unmapped, it could create no file on its mounts and ip would lose its rights.
        const auto map = [](auto file, std::string line) { return !!(std::ofstream(file) << line << std::flush); };
        if (uid != "0"
            && !(map("/proc/self/setgroups", "deny") && map("/proc/self/uid_map", "0 " + uid + " 1")
                 && map("/proc/self/gid_map", "0 " + gid + " 1")))
            _exit(kUnavailableCode);
        const std::string failure = body();
        if (!failure.empty() && write(channel[1], failure.data(), failure.size()) < 0) // a pipe takes it whole
            _exit(2);
        _exit(failure.empty() ? 0 : 1);
    }
    close(channel[1]);
    std::string output;
    char buffer[512];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, static_cast<std::size_t>(n));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status))
        return "the child died: " + output;
    if (WEXITSTATUS(status) == kUnavailableCode)
        return Unavailable();
    return WEXITSTATUS(status) == 0 ? std::string() : output;
}

bool PrivateNetwork::SetLoopbackUp(bool up)
{
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = fd >= 0 && ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags = static_cast<short>(up ? (request.ifr_flags | IFF_UP) : (request.ifr_flags & ~IFF_UP));
    ok = ok && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    if (fd >= 0)
        close(fd);
    return ok;
}
