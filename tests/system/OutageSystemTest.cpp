#include "support/QtPrinters.h"
#include "system/ProgramHostsTest.h"

#include <gtest/gtest.h>

namespace {

enum Host { A = 0, B = 1, C = 2 };

const QString kNetworkError = QStringLiteral("Ошибка в работе сети.");

// Host A loses its network while its user is in the Chat Room and writes messages: first
// its link goes down, then, with the link back, its only address goes.
class OutageSystemTest : public ProgramHostsTest {
protected:
    bool Ip(const QStringList& arguments) { return m_lab->Run(A, {}, QStringLiteral("ip"), arguments) == 0; }

    int Boxes() const { return static_cast<int>(m_copies[A].Texts(QStringLiteral("box")).size()); }

    // What A's user writes in an outage: a chat line and a message to B (still listed).
    void WriteInOutage(const QString& tag)
    {
        m_copies[A].Command(QStringLiteral("say lost line ") + tag);
        m_copies[A].Command(QStringLiteral("send %1 lost message %2").arg(m_users[B], tag));
    }
};

} // namespace

TEST_F(OutageSystemTest, WhatDidNotGoOutIsShownEachTimeNeverShownAsSaidAndSendingResumes)
{
    for (const Host host : {A, B, C})
        m_copies[host].Command(QStringLiteral("show-chat"));
    ASSERT_TRUE(AllListedEverywhere());
    m_copies[A].Command(QStringLiteral("say before"));
    ASSERT_TRUE(
        Until([&] { return Everywhere([](const HostCopy& copy) { return !copy.Of(QStringLiteral("line")).empty(); }); },
              std::chrono::seconds(5)));

    const QString address = NetnsLab::Address(A) + QStringLiteral("/24");
    const std::vector<std::pair<QStringList, QStringList>> outages = {
        {{QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("eth0"), QStringLiteral("down")},
         {QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("eth0"), QStringLiteral("up")}},
        {{QStringLiteral("addr"), QStringLiteral("del"), address, QStringLiteral("dev"), QStringLiteral("eth0")},
         {QStringLiteral("addr"), QStringLiteral("add"), address, QStringLiteral("brd"), QStringLiteral("+"),
          QStringLiteral("dev"), QStringLiteral("eth0")}},
    };
    int expectedBoxes = 0;
    for (std::size_t i = 0; i < outages.size(); ++i) {
        const QString tag = QString::number(i + 1);
        ASSERT_TRUE(Ip(outages[i].first));
        // The presence announcement finds the network gone: one box for the outage.
        ASSERT_TRUE(Until([&] { return Boxes() == expectedBoxes + 1; }, std::chrono::seconds(3))) << tag.toStdString();
        WriteInOutage(tag);
        expectedBoxes += 3;
        EXPECT_TRUE(Until([&] { return Boxes() >= expectedBoxes; }, std::chrono::seconds(5))) << tag.toStdString();
        Settle(std::chrono::seconds(2)); // the announcements go on failing without a word
        EXPECT_EQ(Boxes(), expectedBoxes) << tag.toStdString();

        ASSERT_TRUE(Ip(outages[i].second));
        m_copies[A].Command(QStringLiteral("say back ") + tag);
        EXPECT_TRUE(Until(
            [&] {
                return Everywhere([&](const HostCopy& copy) {
                    return copy.Texts(QStringLiteral("line")).contains(m_users[A] + QStringLiteral("%back ") + tag);
                });
            },
            std::chrono::seconds(5)))
            << tag.toStdString();
        // Presence resumes: a copy silent for seven seconds would be dropped from the lists.
        Settle(std::chrono::seconds(8));
        EXPECT_TRUE(m_copies[B].State(m_users[A]) >= 0 && m_copies[C].State(m_users[A]) >= 0
                    && m_copies[A].State(m_users[B]) == 2 && m_copies[A].State(m_users[C]) == 2)
            << tag.toStdString();
    }
    Settle(std::chrono::seconds(1));

    for (const QString& text : m_copies[A].Texts(QStringLiteral("box")))
        EXPECT_EQ(text, kNetworkError);
    // Nothing that did not go out is shown as said, anywhere; everything else once.
    const QStringList said{m_users[A] + QStringLiteral("%before"), m_users[A] + QStringLiteral("%back 1"),
                           m_users[A] + QStringLiteral("%back 2")};
    for (const Host host : {A, B, C}) {
        EXPECT_EQ(m_copies[host].Texts(QStringLiteral("line")), said) << host;
        EXPECT_TRUE(m_copies[host].Texts(QStringLiteral("message")).isEmpty()) << host;
    }
}
