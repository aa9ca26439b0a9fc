#include "support/PrivateNetwork.h"

#include <cerrno>
#include <cstring>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
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
