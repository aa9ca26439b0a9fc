#include "online/PresenceRoster.h"
#include "online/RosterList.h"
#include "support/QtPrinters.h"

#include <QListWidgetItem>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

// A list that owns its items and checks that every call names one of them.
class FakeList : public RosterList {
public:
    QListWidgetItem* AddUserItem(const QString& name) override
    {
        auto item = std::make_unique<QListWidgetItem>(name);
        return m_items.emplace(item.get(), std::move(item)).first->first;
    }
    void RemoveUserItem(QListWidgetItem* item) override { EXPECT_EQ(m_items.erase(item), 1u); }
    void SetUserItemInChat(QListWidgetItem* item, bool inChat) override
    {
        ASSERT_TRUE(m_items.count(item));
        item->setData(Qt::UserRole, inChat);
    }

    int Count(const QString& name) const
    {
        return std::count_if(m_items.begin(), m_items.end(),
                             [&](const auto& pair) { return pair.first->text() == name; });
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
    const QString anna = QStringLiteral("anna");
};

} // namespace

// Listed and announced once; a presence before the seventh silent tick keeps the user for
// seven more; the seventh drops it, and coming back is a new user again.
TEST_F(PresenceRosterTest, SilentUserIsDroppedOnTheSeventhTick)
{
    roster.OnPresence(anna);
    roster.OnPresence(anna);
    EXPECT_EQ(list.Count(anna), 1);
    EXPECT_EQ(newUsers, 1);
    Ticks(6);
    roster.OnPresence(anna);
    Ticks(6);
    EXPECT_EQ(list.Count(anna), 1);
    roster.Tick();
    EXPECT_EQ(list.Count(anna), 0);
    EXPECT_TRUE(roster.Users().empty());
    EXPECT_EQ(newUsers, 1);
    roster.OnPresence(anna);
    EXPECT_EQ(newUsers, 2);
}

TEST_F(PresenceRosterTest, ChatMarkNeedsAListedUserAndGoesOnTheFifthTick)
{
    roster.OnChatPresence(anna);
    roster.OnPresence(anna);
    EXPECT_FALSE(list.InChat(anna));
    roster.OnChatPresence(anna);
    EXPECT_TRUE(list.InChat(anna));
    for (int i = 0; i < 4; ++i) {
        roster.OnPresence(anna);
        roster.Tick();
        EXPECT_TRUE(list.InChat(anna)) << "tick " << i + 1;
    }
    roster.Tick();
    EXPECT_FALSE(list.InChat(anna));
}

TEST_F(PresenceRosterTest, RemovalInTheMiddleStillCountsDownTheNextEntry)
{
    roster.OnPresence(QStringLiteral("a"));
    roster.Tick();
    roster.OnPresence(QStringLiteral("b"));
    roster.OnPresence(QStringLiteral("c"));
    Ticks(6); // "a" runs out first
    EXPECT_EQ(list.Count(QStringLiteral("a")), 0);
    ASSERT_EQ(roster.Users().size(), 2u);
    roster.Tick();
    EXPECT_EQ(list.Size(), 0u);
}

// Names that a case-blind or prefix search would confuse; "All!" is an ordinary user.
TEST_F(PresenceRosterTest, UsersAreTrackedByExactNameAndOwnTheirItems)
{
    for (const char* name : {"aa", "aaron", "Aa", "All", "all", "All!", "All!"})
        roster.OnPresence(QString::fromLatin1(name));
    EXPECT_EQ(newUsers, 6);
    EXPECT_EQ(list.Size(), 6u);
    roster.OnChatPresence(QStringLiteral("aa"));
    EXPECT_TRUE(list.InChat(QStringLiteral("aa")));
    EXPECT_FALSE(list.InChat(QStringLiteral("aaron")));
    EXPECT_FALSE(list.InChat(QStringLiteral("Aa")));

    for (int i = 0; i < 7; ++i) { // only "aa" keeps talking: everybody else goes, each with its own item
        roster.OnPresence(QStringLiteral("aa"));
        roster.Tick();
    }
    EXPECT_EQ(list.Size(), 1u);
    EXPECT_EQ(list.Count(QStringLiteral("aa")), 1);
}
