#include "platform/BroadcastSender.h"
#include "platform/ExtraNetworks.h"
#include "support/PrivateNetwork.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

sockaddr_in Inet(const char* address, sa_family_t family = AF_INET)
{
    sockaddr_in out{};
    inet_pton(AF_INET, address, &out.sin_addr);
    out.sin_family = family;
    return out;
}

} // namespace

TEST(BroadcastSenderTest, NetworksComeFromRunningBroadcastIPv4InterfacesOnlyEachOnce)
{
    constexpr unsigned kLive = IFF_UP | IFF_RUNNING | IFF_BROADCAST;
    struct Interface {
        const char* name;
        unsigned flags;
        sockaddr_in address, broadcast, netmask = Inet("255.255.255.0");
    };
    std::vector<Interface> interfaces = {
        {"lo", IFF_UP | IFF_RUNNING | IFF_LOOPBACK, Inet("127.0.0.1"), {}},
        {"eth0", kLive, Inet("10.77.0.2"), Inet("10.77.0.255")},
        {"eth1", IFF_BROADCAST | IFF_RUNNING, Inet("10.88.0.2"), Inet("10.88.0.255")}, // down
        {"eth3", IFF_UP | IFF_BROADCAST, Inet("10.66.0.2"), Inet("10.66.0.255")}, // no carrier
        {"wg0", IFF_UP | IFF_RUNNING | IFF_POINTOPOINT, Inet("10.99.0.1"), Inet("10.99.0.2")}, // no broadcast
        {"eth0", kLive, Inet("10.77.0.2", AF_INET6), {}}, // an IPv6 address
        {"eth2", kLive, Inet("10.77.0.3"), Inet("10.77.0.255")}, // same network as eth0
        {"odd", kLive | IFF_LOOPBACK, Inet("127.0.0.1"), Inet("127.255.255.255")},
        {"veth0", kLive, Inet("10.55.0.1"), Inet("10.55.0.1")}, // set up without one: the subnet's
    };
    std::vector<ifaddrs> list(interfaces.size());
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
        list[i].ifa_name = const_cast<char*>(interfaces[i].name);
        list[i].ifa_flags = interfaces[i].flags;
        list[i].ifa_addr = reinterpret_cast<sockaddr*>(&interfaces[i].address);
        list[i].ifa_netmask = reinterpret_cast<sockaddr*>(&interfaces[i].netmask);
        if (interfaces[i].broadcast.sin_family == AF_INET)
            list[i].ifa_broadaddr = reinterpret_cast<sockaddr*>(&interfaces[i].broadcast);
        list[i].ifa_next = i + 1 < list.size() ? &list[i + 1] : nullptr;
    }
    EXPECT_EQ(BroadcastNetworksOf(list.data()),
              (std::vector<Ipv4Network>{{0x0A370001, 0x0A3700FF}, {0x0A4D0002, 0x0A4D00FF}}));
}

TEST(ExtraNetworksTest, EntriesParseToAddressesSubnetBroadcastsAndNamesAndTheRestIsReported)
{
    const ParsedExtraNetworks parsed
        = ParseExtraNetworks(u" 10.1.2.3,10.20.0.0/16  files.example ,, 10.1.2.300 10.0.0.0/33 a/b 0.0.0.0 -x");
    EXPECT_EQ(parsed.entries, (std::vector<ExtraNetworkEntry>{{u"10.1.2.3"_s, 0x0A010203, {}},
                                                              {u"10.20.0.0/16"_s, 0x0A14FFFF, {}},
                                                              {u"files.example"_s, 0, "files.example"}}));
    ASSERT_EQ(parsed.problems.size(), 5);
    EXPECT_TRUE(parsed.problems[0].contains(u"'10.1.2.300'") && parsed.problems[4].contains(u"'-x'"));
}

// Routes are looked up off the calling thread; each problem is listed once, however often asked.
TEST(ExtraNetworksTest, EachDestinationLeavesFromItsRoutesAddressAndWhatCannotBeHadIsReportedOnce)
{
    const std::string failure = PrivateNetwork::Run([]() -> std::string {
        if (!PrivateNetwork::SetLoopbackUp(true))
            return "cannot bring lo up";
        // Nothing routes to 10.9.9.9 here; names are left to the segments system test.
        ExtraNetworks extra(u"127.0.0.2 127.0.0.0/8 10.9.9.9 127.0.0.2");
        for (int i = 0; i < 3; ++i) {
            extra.Refresh();
            for (int j = 0; j < 200 && extra.Current().empty(); ++j) {
                QCoreApplication::processEvents();
                usleep(5000);
            }
        }
        QCoreApplication::processEvents();
        const std::vector<Ipv4Network> expected{{0x7F000001, 0x7F000002}, {0x7F000001, 0x7FFFFFFF}};
        const QStringList& problems = extra.Problems();
        if (extra.Current() != expected || problems.size() != 1 || !problems[0].contains(u"'10.9.9.9' cannot be reached"))
            return "problems: " + problems.join(u'|').toStdString();
        return "";
    });
    if (failure == PrivateNetwork::Unavailable())
        GTEST_SKIP() << failure;
    EXPECT_EQ(failure, "");
}
