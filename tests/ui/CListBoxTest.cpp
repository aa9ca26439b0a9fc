#include "ui/CListBox.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

// Equal names keep the order they came in; item data and handles follow their items.
TEST(CListBoxTest, SortedInsertIgnoresCaseInLatinAndCyrillic)
{
    CListBox list;
    list.SetSorted(true);
    list.SetItemData(list.AddString(QStringLiteral("boris")), 2);
    QListWidgetItem* boris = list.item(0);
    for (const char* name : {"All", "Вера", "анна", "ANNA", "Борис", "zed", "all"})
        list.AddString(QString::fromUtf8(name));
    EXPECT_EQ(list.GetTexts(), QString::fromUtf8("All all ANNA boris zed анна Борис Вера").split(u' '));
    EXPECT_EQ(list.row(boris), 3);
    EXPECT_EQ(list.GetItemData(3), 2u);
    EXPECT_EQ(list.GetItemData(0), 0u);
    EXPECT_FALSE(list.SetItemData(17, 1));
    EXPECT_EQ(list.GetItemData(17), 0u);
    EXPECT_EQ(list.AddString(QStringLiteral("Bob")), 3);
}
