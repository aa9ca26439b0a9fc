#include "system/ProgramHostsTest.h"

#include <QDir>
#include <QFile>

namespace {

// A and B on one segment, C on another behind the router. Each copy names the other side in
// its ExtraNetworks: A by host name (from A's own hosts file) beside two entries that cannot be
// had, B by address, C the whole other subnet (its directed broadcast, which the router
// forwards with bc_forwarding on).
class ExtraNetworksSystemTest : public ProgramHostsTest {
protected:
    int SegmentOf(int host) const override { return host == C ? 1 : 0; }

    QProcess* StartHost(int host) override
    {
        if (host == A) {
            const QString failure = Shell(
                u"ip netns exec %1-router sysctl -q net.ipv4.conf.all.bc_forwarding=1 "
                "net.ipv4.conf.eth0.bc_forwarding=1 net.ipv4.conf.eth1.bc_forwarding=1\n"
                "mkdir -p /etc/netns/%1-host0\n"
                "printf '127.0.0.1 localhost\\n%2 segment-c\\n' > /etc/netns/%1-host0/hosts"_s.arg(m_prefix, Address(C)));
            EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
        }
        const QString extra[] = {u"segment-c, no/such nowhere.invalid"_s, Address(C), u"10.77.0.0/24"_s};
        QDir().mkpath(HostDir(host) + u"/config/pellwick"_s);
        QFile::setPermissions(HostDir(host) + u"/config/pellwick"_s, QFile::Permissions(0x7777));
        QFile registry(HostDir(host) + u"/config/pellwick/registry.reg"_s);
        EXPECT_TRUE(registry.open(QIODevice::WriteOnly));
        registry.write(u"Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_CURRENT_USER\\SOFTWARE\\Ravelstone\\Pellwick\\Network]\r\n"
                       "\"ExtraNetworks\"=\"%1\"\r\n"_s.arg(extra[host])
                           .toUtf8());
        registry.close();
        registry.setPermissions(QFile::Permissions(0x6666));
        return ProgramHostsTest::StartHost(host);
    }
};

} // namespace

TEST_F(ExtraNetworksSystemTest, CopiesOnBothSegmentsListAndReachEachOther)
{
    ASSERT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.List().size() > 1; }, 10s));
    ASSERT_TRUE(Everywhere(
        [&](const HostCopy& copy) {
            return std::ranges::all_of(m_users, [&](const QString& user) { return copy.State(user) >= 0; });
        },
        2s));
    EXPECT_TRUE(m_copies[A].log.contains(u"'no/such' is neither"_s)) << m_copies[A].log.toStdString();
    EXPECT_TRUE(m_copies[A].log.contains(u"'nowhere.invalid' does not resolve"_s));

    m_copies[A].Command(u"say from A"_s);
    m_copies[C].Command(u"say from C"_s);
    const QStringList said{m_users[A] + u"%from A"_s, m_users[C] + u"%from C"_s};
    EXPECT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.Texts(u"line"_s).size() >= 2; }, 3s));
    m_copies[A].Command(u"send %1 to C"_s.arg(m_users[C]));
    ASSERT_TRUE(Until([&] { return m_copies[C].Texts(u"message"_s).size() == 1; }, 3s));
    m_copies[C].Command(u"reply to A"_s);
    ASSERT_TRUE(Until([&] { return m_copies[A].Texts(u"message"_s).size() == 1; }, 3s));
    Settle(500ms);
    for (const HostCopy& copy : m_copies) {
        QStringList lines = copy.Texts(u"line"_s);
        lines.sort();
        EXPECT_EQ(lines, said);
    }
    EXPECT_EQ(m_copies[C].Texts(u"message"_s), QStringList{m_users[A] + u"%to C"_s});
    EXPECT_EQ(m_copies[A].Texts(u"message"_s), QStringList{m_users[C] + u"%to A"_s});
    EXPECT_TRUE(m_copies[B].Texts(u"message"_s).isEmpty());
}
