#include "support/PrivateNetwork.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kUnavailableCode = 77;

void WriteAll(int fd, const std::string& text)
{
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = write(fd, data, left);
        if (n <= 0)
            return;
        data += n;
        left -= static_cast<std::size_t>(n);
    }
}

} // namespace

const std::string& PrivateNetwork::Unavailable()
{
    static const std::string text = "no private network namespace can be made here";
    return text;
}

std::string PrivateNetwork::Run(const std::function<std::string()>& body)
{
    int channel[2];
    if (pipe(channel) != 0)
        return "pipe failed";
    const pid_t child = fork();
    if (child < 0)
        return "fork failed";
    if (child == 0) {
        close(channel[0]);
        const int flags = getuid() == 0 ? CLONE_NEWNET : CLONE_NEWUSER | CLONE_NEWNET;
        if (unshare(flags) != 0)
            _exit(kUnavailableCode);
        const std::string failure = body();
        WriteAll(channel[1], failure);
        _exit(failure.empty() ? 0 : 1);
    }
    close(channel[1]);
    std::string output;
    char buffer[512];
    ssize_t n;
    while ((n = read(channel[0], buffer, sizeof buffer)) > 0)
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

std::string PrivateNetwork::WhyNotPrivate()
{
    struct stat own = {};
    struct stat machine = {};
    if (stat("/proc/self/ns/net", &own) == 0 && stat("/proc/1/ns/net", &machine) == 0)
        return own.st_dev == machine.st_dev && own.st_ino == machine.st_ino
            ? "runs in the machine's own network namespace"
            : "";
    // Where the first process's namespace cannot be looked at: the machine's own namespace is
    // the one with an interface beyond loopback and the lab's 10.77.0.0/24.
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return "cannot list the network interfaces";
    std::string reason;
    for (const ifaddrs* entry = list; entry && reason.empty(); entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !(entry->ifa_flags & IFF_UP)
            || (entry->ifa_flags & IFF_LOOPBACK))
            continue;
        in_addr_t address = 0;
        std::memcpy(&address, &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr, sizeof address);
        if ((ntohl(address) & 0xFFFFFF00u) != 0x0A4D0000u)
            reason = std::string("interface ") + entry->ifa_name + " reaches a real network";
    }
    freeifaddrs(list);
    return reason;
}

bool PrivateNetwork::SetLoopbackUp(bool up)
{
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (ok) {
        request.ifr_flags = static_cast<short>(up ? (request.ifr_flags | IFF_UP) : (request.ifr_flags & ~IFF_UP));
        ok = ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    if (ok && !up) {
        // A down loopback keeps its local routes; only dropping its address (0.0.0.0 deletes
        // it) makes 127.0.0.0/8 unreachable. Bringing it up adds 127.0.0.1 back.
        sockaddr_in none{};
        none.sin_family = AF_INET;
        std::memcpy(&request.ifr_addr, &none, sizeof none);
        ok = ioctl(fd, SIOCSIFADDR, &request) == 0 || errno == EADDRNOTAVAIL;
    }
    close(fd);
    return ok;
}
