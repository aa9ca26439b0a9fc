#include "session/PresenceRoster.h"
#include "support/QtPrinters.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

// The roster's changes as a list shows them (arrival order, "*" in the chat room, "!" on two
// computers); every change must name a user in the state it implies.
class RecordedList : public PresenceRoster::Changes {
public:
    void OnUserListed(const QString& name) override
    {
        EXPECT_FALSE(m_names.contains(name)) << name.toStdString();
        m_names << name;
        ++newUsers;
    }
    void OnUsersDropped(const QStringList& names) override
    {
        for (const QString& name : names)
            EXPECT_EQ(m_names.removeAll(name), 1) << name.toStdString();
    }
    void OnUserOnTwoComputersChanged(const QString& name, bool onTwo) override { Mark(m_onTwo, name, onTwo); }
    void OnUserChatChanged(const QString& name, bool inChat) override { Mark(m_inChat, name, inChat); }
    void Mark(QSet<QString>& marked, const QString& name, bool on)
    {
        EXPECT_TRUE(m_names.contains(name));
        EXPECT_NE(marked.contains(name), on) << name.toStdString();
        on ? void(marked.insert(name)) : void(marked.remove(name));
    }

    QString Listed() const
    {
        QStringList names;
        for (const QString& name : m_names)
            names << name + (m_inChat.contains(name) ? QStringLiteral("*") : QString())
                    + (m_onTwo.contains(name) ? QStringLiteral("!") : QString());
        return names.join(u' ');
    }

    int newUsers = 0;

private:
    QStringList m_names;
    QSet<QString> m_inChat;
    QSet<QString> m_onTwo;
};

constexpr quint32 kHere = 0x0a000001;
constexpr quint32 kThere = 0x0a000002;

class PresenceRosterTest : public ::testing::Test {
protected:
    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            roster.Tick();
    }

    RecordedList list;
    int& newUsers = list.newUsers;
    PresenceRoster roster{list};
    const QString anna = QStringLiteral("anna");
};

} // namespace

// A presence before the seventh silent tick keeps the user for seven more; a comer-back is new.
TEST_F(PresenceRosterTest, SilentUserIsDroppedOnTheSeventhTick)
{
    roster.OnPresence(anna, kHere);
    roster.OnPresence(anna, kHere);
    EXPECT_EQ(list.Listed(), anna);
    EXPECT_EQ(newUsers, 1);
    Ticks(6);
    roster.OnPresence(anna, kHere);
    Ticks(6);
    EXPECT_EQ(list.Listed(), anna);
    roster.Tick();
    EXPECT_EQ(list.Listed(), QString());
    EXPECT_TRUE(roster.Users().empty());
    roster.OnPresence(anna, kHere);
    EXPECT_EQ(newUsers, 2);
}

TEST_F(PresenceRosterTest, ChatMarkNeedsAListedUserAndGoesOnTheFifthTick)
{
    roster.OnChatPresence(anna);
    roster.OnPresence(anna, kHere);
    EXPECT_EQ(list.Listed(), anna);
    roster.OnChatPresence(anna);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list.Listed(), QStringLiteral("anna*")) << "tick " << i;
        roster.OnPresence(anna, kHere);
        roster.Tick();
    }
    EXPECT_EQ(list.Listed(), QStringLiteral("anna*"));
    roster.Tick();
    EXPECT_EQ(list.Listed(), anna);
}

// Names a case-blind or prefix search would confuse; neighbours removed in one tick all count down.
TEST_F(PresenceRosterTest, UsersAreTrackedByExactName)
{
    for (const char* name : {"aa", "aaron", "Aa", "All", "all", "All!", "All!"})
        roster.OnPresence(QString::fromLatin1(name), kHere);
    EXPECT_EQ(newUsers, 6);
    roster.OnChatPresence(QStringLiteral("aa"));
    EXPECT_EQ(list.Listed(), QStringLiteral("aa* aaron Aa All all All!"));
    for (int i = 0; i < 7; ++i) { // only "aa" keeps talking: everybody else goes
        roster.OnPresence(QStringLiteral("aa"), kHere);
        roster.Tick();
    }
    EXPECT_EQ(list.Listed(), QStringLiteral("aa"));
}

// Marked after three ticks running with two addresses, even on either side of the tick by turns;
// not for a copy that moves (a relay taking over); gone six ticks after the second address.
TEST_F(PresenceRosterTest, ANameUsedOnTwoComputersAtOnceIsMarked)
{
    roster.OnPresence(anna, kHere);
    roster.Tick();
    for (int i = 0; i < 3; ++i) {
        roster.OnPresence(anna, kThere);
        roster.Tick();
    }
    EXPECT_EQ(list.Listed(), anna);
    for (int i = 0; i < 3; ++i) {
        roster.OnPresence(anna, i % 2 ? kThere : kHere);
        roster.Tick();
    }
    EXPECT_EQ(list.Listed(), QStringLiteral("anna!"));
    EXPECT_TRUE(roster.IsOnTwoComputers(anna));
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(list.Listed(), QStringLiteral("anna!")) << "tick " << i;
        roster.OnPresence(anna, kThere);
        roster.Tick();
    }
    EXPECT_EQ(list.Listed(), anna);
    EXPECT_FALSE(roster.IsOnTwoComputers(anna));
}
