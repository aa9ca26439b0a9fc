// Load through a pair of site relays: in each of two network namespaces (the segments), a
// sender broadcasts chat lines at a fixed rate and a receiver, standing in for a copy on the
// port, measures what arrives from the other segment: count, and the added latency (each line
// carries its send time). With a user count, the west sender announces that many users' presence
// once a second instead, and the east receiver reports how many it heard and the longest silence
// of one user (a copy drops a user after six to seven silent seconds).
// Run by bench/relay_bench.sh, which builds the namespaces, the broker and the relays.
// Usage: relay_load_bench WEST_NETNS EAST_NETNS RATE SECONDS [USERS]
#include "net/MessagePacket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <set>
#include <sched.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <utility>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr quint16 kPort = 47364;

bool Enter(const std::string& netns)
{
    const int fd = open(("/run/netns/" + netns).c_str(), O_RDONLY | O_CLOEXEC);
    const bool entered = fd >= 0 && setns(fd, CLONE_NEWNET) == 0;
    if (fd >= 0)
        close(fd);
    return entered;
}

std::int64_t Now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

void Send(const std::string& netns, const char* broadcast, char tag, int rate, int seconds, int users)
{
    if (!Enter(netns))
        return;
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(kPort);
    inet_pton(AF_INET, broadcast, &to.sin_addr);
    const auto send = [&](const MessagePacket& packet) {
        sendto(fd, &packet, sizeof packet, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    };
    const auto start = Clock::now();
    for (long i = 0;; ++i) {
        const auto due = start + std::chrono::nanoseconds(1'000'000'000L * i / (users ? 1 : rate));
        if (due - start >= std::chrono::seconds(seconds))
            break;
        std::this_thread::sleep_until(due);
        if (users) {
            for (int u = 0; u < users; ++u)
                send(MessagePacket::Make(PACKET_PRESENCE, u"Подтверждение...",
                                         QStringLiteral("%1user%2").arg(QLatin1Char(tag)).arg(u)));
        } else {
            send(MessagePacket::Make(PACKET_CHAT, QString::number(Now()), QStringLiteral("%1sender").arg(QLatin1Char(tag))));
        }
    }
    close(fd);
}

struct Heard {
    std::vector<double> latencyMs;
    std::set<QString> lines; // distinct: a twin is no arrival
    std::map<QString, std::int64_t> lastHeard;
    std::int64_t longestGap = 0;
};

void Receive(const std::string& netns, char fromTag, int seconds, Heard* heard)
{
    if (!Enter(netns))
        return;
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    const int size = 8 << 20;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(kPort);
    bind(fd, reinterpret_cast<const sockaddr*>(&at), sizeof at);
    timeval wait{0, 200'000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    // Until the sending is over and nothing came for a while: a record late is not one lost.
    const auto end = Clock::now() + std::chrono::seconds(seconds + 3);
    auto last = Clock::now();
    MessagePacket packet;
    while (Clock::now() < end || (Clock::now() - last < std::chrono::seconds(3) && Clock::now() < end + std::chrono::minutes(1))) {
        if (recv(fd, &packet, sizeof packet, 0) != sizeof packet || packet.Sender().front() != QLatin1Char(fromTag))
            continue;
        last = Clock::now();
        if (packet.type == PACKET_CHAT) {
            if (heard->lines.insert(packet.Text()).second)
                heard->latencyMs.push_back((Now() - packet.Text().toLongLong()) / 1e6);
        } else {
            const auto [entry, first] = heard->lastHeard.try_emplace(packet.Sender(), Now());
            if (!first)
                heard->longestGap = std::max(heard->longestGap, Now() - std::exchange(entry->second, Now()));
        }
    }
    close(fd);
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(p * values.size()))];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: relay_load_bench WEST_NETNS EAST_NETNS RATE SECONDS [USERS]\n");
        return 64;
    }
    const std::string west = argv[1], east = argv[2];
    const int rate = std::atoi(argv[3]), seconds = std::atoi(argv[4]), users = argc > 5 ? std::atoi(argv[5]) : 0;
    Heard inEast, inWest;
    std::vector<std::thread> threads;
    threads.emplace_back(Receive, east, 'w', seconds, &inEast);
    if (!users)
        threads.emplace_back(Receive, west, 'e', seconds, &inWest);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    threads.emplace_back(Send, west, "10.88.0.255", 'w', rate, seconds, users);
    if (!users)
        threads.emplace_back(Send, east, "10.88.1.255", 'e', rate, seconds, users);
    for (std::thread& thread : threads)
        thread.join();
    if (users) {
        std::printf("synthetic site: %d users announced each second, the other site heard %zu; the longest silence of "
                    "one user there %.0f ms\n",
                    users, inEast.lastHeard.size(), inEast.longestGap / 1e6);
        return 0;
    }
    const long sent = static_cast<long>(rate) * seconds;
    for (const auto& [name, heard] : {std::pair{"west to east", &inEast}, std::pair{"east to west", &inWest}})
        std::printf("%s: %ld sent, %zu arrived (once each); added latency p50 %.2f ms, p99 %.2f ms\n", name, sent,
                    heard->latencyMs.size(), Percentile(heard->latencyMs, 0.5), Percentile(heard->latencyMs, 0.99));
    return 0;
}
