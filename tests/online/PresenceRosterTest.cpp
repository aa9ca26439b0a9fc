#include "online/PresenceRoster.h"
#include "online/RosterList.h"
#include "support/QtPrinters.h"

#include <QListWidgetItem>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

// A list that remembers its items and their marks, and which item each call touched.
class FakeList : public RosterList {
public:
    QListWidgetItem* AddUserItem(const QString& name) override
    {
        auto item = std::make_unique<QListWidgetItem>(name);
        QListWidgetItem* raw = item.get();
        m_items.emplace(raw, std::move(item));
        return raw;
    }
    void RemoveUserItem(QListWidgetItem* item) override { EXPECT_EQ(m_items.erase(item), 1u); }
    void SetUserItemInChat(QListWidgetItem* item, bool inChat) override
    {
        ASSERT_TRUE(m_items.count(item));
        item->setData(Qt::UserRole, inChat);
    }

    int Count(const QString& name) const
    {
        int count = 0;
        for (const auto& [raw, item] : m_items)
            count += raw->text() == name;
        return count;
    }
    bool InChat(const QString& name) const
    {
        for (const auto& [raw, item] : m_items)
            if (raw->text() == name)
                return raw->data(Qt::UserRole).toBool();
        return false;
    }
    std::size_t Size() const { return m_items.size(); }

private:
    std::map<QListWidgetItem*, std::unique_ptr<QListWidgetItem>> m_items;
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
};

} // namespace

TEST_F(PresenceRosterTest, FirstPresenceListsTheUserAndAnnouncesItOnce)
{
    roster.OnPresence(QStringLiteral("anna"));
    roster.OnPresence(QStringLiteral("anna"));
    EXPECT_EQ(list.Count(QStringLiteral("anna")), 1);
    EXPECT_EQ(newUsers, 1);
}

TEST_F(PresenceRosterTest, SilentUserIsDroppedOnTheSeventhTick)
{
    roster.OnPresence(QStringLiteral("anna"));
    Ticks(6);
    EXPECT_EQ(list.Count(QStringLiteral("anna")), 1);
    roster.Tick();
    EXPECT_EQ(list.Count(QStringLiteral("anna")), 0);
    EXPECT_TRUE(roster.Users().empty());

    // Coming back is a new user again.
    roster.OnPresence(QStringLiteral("anna"));
    EXPECT_EQ(newUsers, 2);
}

TEST_F(PresenceRosterTest, PresenceBeforeTheSeventhTickKeepsTheUserForSevenMore)
{
    roster.OnPresence(QStringLiteral("anna"));
    Ticks(6);
    roster.OnPresence(QStringLiteral("anna"));
    Ticks(6);
    EXPECT_EQ(list.Count(QStringLiteral("anna")), 1);
    roster.Tick();
    EXPECT_EQ(list.Count(QStringLiteral("anna")), 0);
    EXPECT_EQ(newUsers, 1);
}

TEST_F(PresenceRosterTest, ChatMarkNeedsAListedUserAndGoesOnTheFifthTick)
{
    roster.OnChatPresence(QStringLiteral("anna"));
    roster.OnPresence(QStringLiteral("anna"));
    EXPECT_FALSE(list.InChat(QStringLiteral("anna")));

    roster.OnChatPresence(QStringLiteral("anna"));
    EXPECT_TRUE(list.InChat(QStringLiteral("anna")));
    for (int i = 0; i < 4; ++i) {
        roster.OnPresence(QStringLiteral("anna"));
        roster.Tick();
        EXPECT_TRUE(list.InChat(QStringLiteral("anna"))) << "tick " << i + 1;
    }
    roster.Tick();
    EXPECT_FALSE(list.InChat(QStringLiteral("anna")));
}

TEST_F(PresenceRosterTest, RemovalInTheMiddleStillCountsDownTheNextEntry)
{
    roster.OnPresence(QStringLiteral("a"));
    roster.Tick();
    roster.OnPresence(QStringLiteral("b"));
    roster.OnPresence(QStringLiteral("c"));
    // "b" and "c" stay fresh; "a" runs out first.
    Ticks(6);
    EXPECT_EQ(list.Count(QStringLiteral("a")), 0);
    ASSERT_EQ(roster.Users().size(), 2u);
    EXPECT_EQ(roster.Users()[0].presenceTicks, 0);
    EXPECT_EQ(roster.Users()[1].presenceTicks, 0);
    roster.Tick();
    EXPECT_EQ(list.Size(), 0u);
}

TEST_F(PresenceRosterTest, UsersAreTrackedByExactNameAndOwnTheirItems)
{
    // Names that a case-blind or prefix search would confuse.
    for (const char* name : {"aa", "aaron", "Aa", "All", "all", "All!"})
        roster.OnPresence(QString::fromLatin1(name));
    EXPECT_EQ(newUsers, 6);
    EXPECT_EQ(list.Size(), 6u);

    roster.OnChatPresence(QStringLiteral("aa"));
    EXPECT_TRUE(list.InChat(QStringLiteral("aa")));
    EXPECT_FALSE(list.InChat(QStringLiteral("aaron")));
    EXPECT_FALSE(list.InChat(QStringLiteral("Aa")));

    // "All!" is an ordinary user: refreshed, not added again.
    roster.OnPresence(QStringLiteral("All!"));
    EXPECT_EQ(list.Count(QStringLiteral("All!")), 1);
    EXPECT_EQ(newUsers, 6);

    // Only "aa" keeps talking: everybody else goes, each with its own item.
    for (int i = 0; i < 7; ++i) {
        roster.OnPresence(QStringLiteral("aa"));
        roster.Tick();
    }
    EXPECT_EQ(list.Size(), 1u);
    EXPECT_EQ(list.Count(QStringLiteral("aa")), 1);
}
