#include "online/PresenceRoster.h"
#include "online/RosterList.h"
#include "support/QtPrinters.h"

#include <QListWidgetItem>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A list that owns its items and checks that every call names one of them.
class FakeList : public RosterList {
public:
    QListWidgetItem* AddUserItem(const QString& name) override
    {
        return m_items.emplace_back(std::make_unique<QListWidgetItem>(name)).get();
    }
    void RemoveUserItem(QListWidgetItem* item) override
    {
        EXPECT_EQ(std::erase_if(m_items, [&](const auto& own) { return own.get() == item; }), 1u);
    }
    void SetUserItemInChat(QListWidgetItem* item, bool inChat) override
    {
        ASSERT_TRUE(std::any_of(m_items.begin(), m_items.end(), [&](const auto& own) { return own.get() == item; }));
        item->setData(Qt::UserRole, inChat);
    }

    // The names listed in order of arrival, "*" after those marked in the chat room.
    QString Listed() const
    {
        QStringList names;
        for (const auto& item : m_items)
            names << item->text() + (item->data(Qt::UserRole).toBool() ? QStringLiteral("*") : QString());
        return names.join(u' ');
    }

private:
    std::vector<std::unique_ptr<QListWidgetItem>> m_items;
};

class PresenceRosterTest : public ::testing::Test {
protected:
    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            roster.Tick();
    }

    FakeList list;
    int newUsers = 0;
    PresenceRoster roster{list, [this] { ++newUsers; }};
    const QString anna = QStringLiteral("anna");
};

} // namespace

// A presence before the seventh silent tick keeps the user for seven more; a comer-back is new.
TEST_F(PresenceRosterTest, SilentUserIsDroppedOnTheSeventhTick)
{
    roster.OnPresence(anna);
    roster.OnPresence(anna);
    EXPECT_EQ(list.Listed(), anna);
    EXPECT_EQ(newUsers, 1);
    Ticks(6);
    roster.OnPresence(anna);
    Ticks(6);
    EXPECT_EQ(list.Listed(), anna);
    roster.Tick();
    EXPECT_EQ(list.Listed(), QString());
    EXPECT_TRUE(roster.Users().empty());
    roster.OnPresence(anna);
    EXPECT_EQ(newUsers, 2);
}

TEST_F(PresenceRosterTest, ChatMarkNeedsAListedUserAndGoesOnTheFifthTick)
{
    roster.OnChatPresence(anna);
    roster.OnPresence(anna);
    EXPECT_EQ(list.Listed(), anna);
    roster.OnChatPresence(anna);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list.Listed(), QStringLiteral("anna*")) << "tick " << i;
        roster.OnPresence(anna);
        roster.Tick();
    }
    EXPECT_EQ(list.Listed(), QStringLiteral("anna*"));
    roster.Tick();
    EXPECT_EQ(list.Listed(), anna);
}

// Names a case-blind or prefix search would confuse; neighbours removed in one tick all count down.
TEST_F(PresenceRosterTest, UsersAreTrackedByExactNameAndOwnTheirItems)
{
    for (const char* name : {"aa", "aaron", "Aa", "All", "all", "All!", "All!"})
        roster.OnPresence(QString::fromLatin1(name));
    EXPECT_EQ(newUsers, 6);
    roster.OnChatPresence(QStringLiteral("aa"));
    EXPECT_EQ(list.Listed(), QStringLiteral("aa* aaron Aa All all All!"));
    for (int i = 0; i < 7; ++i) { // only "aa" keeps talking: everybody else goes, each with its own item
        roster.OnPresence(QStringLiteral("aa"));
        roster.Tick();
    }
    EXPECT_EQ(list.Listed(), QStringLiteral("aa"));
}
