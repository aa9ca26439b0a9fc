#include "platform/BroadcastReceiver.h"
#include "platform/BroadcastSender.h"
#include "platform/NetworkList.h"
#include "support/PrivateNetwork.h"
#include "support/RawDatagram.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <arpa/inet.h>
#include <array>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kRecord = 364;

// Waits (bounded) until a datagram is there, then receives it.
BroadcastReceiver::Result ReceiveNext(BroadcastReceiver& receiver, void* record, std::size_t size)
{
    for (int i = 0; i < 500; ++i) {
        const auto result = receiver.Receive(record, size);
        if (result != BroadcastReceiver::Result::Empty)
            return result;
        usleep(2000);
    }
    return BroadcastReceiver::Result::Empty;
}

sockaddr_in Inet(const char* address)
{
    sockaddr_in out{};
    out.sin_family = AF_INET;
    inet_pton(AF_INET, address, &out.sin_addr);
    return out;
}

} // namespace

TEST(BroadcastReceiverTest, TheSecondBindOfThePortFailsEvenWhenItAsksForReuse)
{
    BroadcastReceiver first;
    ASSERT_TRUE(first.Open(0));
    ASSERT_NE(first.Port(), 0);

    BroadcastReceiver second;
    EXPECT_FALSE(second.Open(first.Port()));

    for (const int option : {SO_REUSEADDR, SO_REUSEPORT}) {
        const int fd = socket(AF_INET, SOCK_DGRAM, 0);
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, option, &on, sizeof on);
        sockaddr_in any = Inet("0.0.0.0");
        any.sin_port = htons(first.Port());
        EXPECT_NE(bind(fd, reinterpret_cast<const sockaddr*>(&any), sizeof any), 0) << "option " << option;
        close(fd);
    }

    const quint16 port = first.Port();
    first.Close();
    EXPECT_TRUE(second.Open(port));
}

TEST(BroadcastReceiverTest, DatagramsOfEveryWrongSizeAreTakenOutWholeAndDropped)
{
    BroadcastReceiver receiver;
    ASSERT_TRUE(receiver.Open(0));
    RawDatagram sender;
    for (const std::size_t size : {0, 1, 363, 365, 65507})
        ASSERT_TRUE(sender.Send(receiver.Port(), QByteArray(static_cast<qsizetype>(size), 'x'))) << size;
    std::vector<char> good(kRecord);
    for (std::size_t i = 0; i < good.size(); ++i)
        good[i] = static_cast<char>(i);
    ASSERT_TRUE(sender.Send(receiver.Port(), good.data(), good.size()));

    // The record sits in a larger buffer whose tail must stay untouched.
    std::array<char, kRecord + 64> buffer;
    buffer.fill('#');
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ReceiveNext(receiver, buffer.data(), kRecord), BroadcastReceiver::Result::Dropped) << i;
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), std::string(buffer.size(), '#'));

    ASSERT_EQ(ReceiveNext(receiver, buffer.data(), kRecord), BroadcastReceiver::Result::Record);
    EXPECT_TRUE(std::equal(good.begin(), good.end(), buffer.begin()));
    EXPECT_EQ(std::string(buffer.begin() + kRecord, buffer.end()), std::string(64, '#'));
    EXPECT_EQ(receiver.Receive(buffer.data(), kRecord), BroadcastReceiver::Result::Empty);
}

TEST(BroadcastSenderTest, NetworksComeFromRunningBroadcastIPv4InterfacesOnlyEachOnce)
{
    constexpr unsigned kLive = IFF_UP | IFF_RUNNING | IFF_BROADCAST;
    struct Interface {
        const char* name;
        unsigned flags;
        int family;
        const char* address;
        const char* broadcast;
    };
    const std::vector<Interface> interfaces = {
        {"lo", IFF_UP | IFF_RUNNING | IFF_LOOPBACK, AF_INET, "127.0.0.1", nullptr},
        {"eth0", kLive, AF_INET, "10.77.0.2", "10.77.0.255"},
        {"eth1", IFF_BROADCAST | IFF_RUNNING, AF_INET, "10.88.0.2", "10.88.0.255"}, // down
        {"eth3", IFF_UP | IFF_BROADCAST, AF_INET, "10.66.0.2", "10.66.0.255"}, // no carrier
        {"wg0", IFF_UP | IFF_RUNNING | IFF_POINTOPOINT, AF_INET, "10.99.0.1", "10.99.0.2"}, // no broadcast
        {"eth0", kLive, AF_INET6, "10.77.0.2", nullptr}, // IPv6 address
        {"eth2", kLive, AF_INET, "10.77.0.3", "10.77.0.255"}, // same network as eth0
        {"wlan0", kLive, AF_INET, "192.168.1.7", "192.168.1.255"},
        {"odd", kLive | IFF_LOOPBACK, AF_INET, "127.0.0.1", "127.255.255.255"},
    };
    std::vector<sockaddr_in> addresses(interfaces.size());
    std::vector<sockaddr_in> broadcasts(interfaces.size());
    std::vector<ifaddrs> list(interfaces.size());
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
        addresses[i] = Inet(interfaces[i].address);
        addresses[i].sin_family = static_cast<sa_family_t>(interfaces[i].family);
        list[i].ifa_name = const_cast<char*>(interfaces[i].name);
        list[i].ifa_flags = interfaces[i].flags;
        list[i].ifa_addr = reinterpret_cast<sockaddr*>(&addresses[i]);
        if (interfaces[i].broadcast) {
            broadcasts[i] = Inet(interfaces[i].broadcast);
            list[i].ifa_broadaddr = reinterpret_cast<sockaddr*>(&broadcasts[i]);
        }
        list[i].ifa_next = i + 1 < list.size() ? &list[i + 1] : nullptr;
    }
    EXPECT_EQ(BroadcastNetworksOf(list.data()),
              (std::vector<Ipv4Network>{{0x0A4D0002, 0x0A4D00FF}, {0xC0A80107, 0xC0A801FF}}));
}

TEST(NetworkListTest, TheInterfacesAreLookedUpAgainOnlyWhenTheKernelReportsAChange)
{
    const std::string failure = PrivateNetwork::Run([]() -> std::string {
        int lookups = 0;
        NetworkList networks([&lookups] {
            ++lookups;
            return BroadcastNetworks();
        });
        networks.Current();
        networks.Current();
        if (lookups != 1)
            return "lookups before a change: " + std::to_string(lookups);
        if (!PrivateNetwork::SetLoopbackUp(true))
            return "cannot bring lo up";
        for (int i = 0; i < 500 && lookups == 1; ++i) {
            QCoreApplication::processEvents();
            networks.Current();
            usleep(10000);
        }
        if (lookups != 2)
            return "lookups after a change: " + std::to_string(lookups);
        // After a send that reached nobody: at once, whatever the kernel said.
        return networks.LookAgain() || lookups != 3 ? "looking again" : "";
    });
    if (failure == PrivateNetwork::Unavailable())
        GTEST_SKIP() << failure;
    EXPECT_EQ(failure, "");
}
