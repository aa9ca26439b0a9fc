#include "system/ProgramHostsTest.h"

// A loses its network while its user chats and writes: first its link, then its only address.
using OutageSystemTest = ProgramHostsTest;

TEST_F(OutageSystemTest, WhatDidNotGoOutIsShownEachTimeNeverShownAsSaidAndSendingResumes)
{
    const auto ip = [&](const QString& arguments) { return Run(A, {}, u"ip"_s, arguments.split(u' ')) == 0; };
    const auto boxes = [&] { return m_copies[A].Texts(u"box"_s).size(); };
    for (HostCopy& copy : m_copies)
        copy.Command(u"show-chat"_s);
    ASSERT_TRUE(AllListed());
    const auto sayEverywhere = [&](const QString& text) {
        m_copies[A].Command(u"say "_s + text);
        return Everywhere(
            [&](const HostCopy& copy) { return copy.Texts(u"line"_s).contains(m_users[A] + u'%' + text); });
    };
    ASSERT_TRUE(sayEverywhere(u"before"_s));

    const QString address = Address(A) + u"/24"_s;
    const std::pair<QString, QString> outages[] = {
        {u"link set eth0 down"_s, u"link set eth0 up"_s},
        {u"addr del %1 dev eth0"_s.arg(address), u"addr add %1 brd + dev eth0"_s.arg(address)},
    };
    qsizetype shown = 0;
    for (int i = 1; const auto& [cut, mend] : outages) {
        const QString tag = QString::number(i++);
        SCOPED_TRACE(cut.toStdString());
        ASSERT_TRUE(ip(cut));
        // The presence announcement finds the network gone: one box for the outage.
        ASSERT_TRUE(Until([&] { return boxes() == shown + 1; }, 3s));
        // A chat line and a message to B (still listed): neither goes out, each says so.
        m_copies[A].Command(u"say lost line "_s + tag);
        m_copies[A].Command(u"send %1 lost message %2"_s.arg(m_users[B], tag));
        shown += 3;
        EXPECT_TRUE(Until([&] { return boxes() >= shown; }, 5s));
        Settle(2s); // the announcements go on failing without a word
        EXPECT_EQ(boxes(), shown);

        ASSERT_TRUE(ip(mend));
        EXPECT_TRUE(sayEverywhere(u"back "_s + tag));
        // Presence resumes: a copy silent for seven seconds would be dropped from the lists.
        Settle(8s);
        EXPECT_TRUE(m_copies[B].State(m_users[A]) >= 0 && m_copies[C].State(m_users[A]) >= 0
                    && m_copies[A].State(m_users[B]) == 2 && m_copies[A].State(m_users[C]) == 2);
    }
    Settle(1s);

    for (const QString& text : m_copies[A].Texts(u"box"_s))
        EXPECT_EQ(text, u"Ошибка в работе сети."_s);
    // Nothing that did not go out is shown as said, anywhere; everything else once.
    const QStringList said{m_users[A] + u"%before"_s, m_users[A] + u"%back 1"_s, m_users[A] + u"%back 2"_s};
    for (const HostCopy& copy : m_copies) {
        EXPECT_EQ(copy.Texts(u"line"_s), said);
        EXPECT_TRUE(copy.Texts(u"message"_s).isEmpty());
    }
}
