#include "ui/CListBox.h"
#include "support/QtPrinters.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

QStringList Texts(const CListBox& list)
{
    QStringList out;
    for (int i = 0; i < list.GetCount(); ++i)
        out << list.GetText(i);
    return out;
}

} // namespace

TEST(CListBoxTest, SortedInsertIgnoresCaseInLatinAndCyrillic)
{
    CListBox list;
    list.SetSorted(true);
    for (const char* name : {"boris", "All", "Вера", "анна", "ANNA", "Борис", "zed", "all"})
        list.AddString(QString::fromUtf8(name));
    // Equal names keep the order they came in.
    EXPECT_EQ(Texts(list),
              QStringList({QStringLiteral("All"), QStringLiteral("all"), QStringLiteral("ANNA"),
                           QStringLiteral("boris"), QStringLiteral("zed"), QString::fromUtf8("анна"),
                           QString::fromUtf8("Борис"), QString::fromUtf8("Вера")}));
    EXPECT_EQ(list.AddString(QStringLiteral("Bob")), 3);
}

TEST(CListBoxTest, UnsortedListAppendsAndInsertsWhereAsked)
{
    CListBox list;
    list.AddString(QStringLiteral("b"));
    list.AddString(QStringLiteral("A"));
    EXPECT_EQ(list.InsertString(1, QStringLiteral("c")), 1);
    EXPECT_EQ(list.InsertString(-1, QStringLiteral("d")), 3);
    EXPECT_EQ(list.InsertString(9, QStringLiteral("x")), CListBox::LB_ERR);
    EXPECT_EQ(Texts(list),
              QStringList({QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("A"), QStringLiteral("d")}));
    EXPECT_EQ(list.DeleteString(0), 3);
    EXPECT_EQ(list.DeleteString(3), CListBox::LB_ERR);
}

TEST(CListBoxTest, FindSearchesAfterTheStartAndWrapsAround)
{
    CListBox list;
    for (const char* name : {"All", "anna", "Anton", "boris", "Борис"})
        list.AddString(QString::fromUtf8(name));
    EXPECT_EQ(list.FindString(-1, QStringLiteral("an")), 1);
    EXPECT_EQ(list.FindString(1, QStringLiteral("AN")), 2);
    EXPECT_EQ(list.FindString(2, QStringLiteral("an")), 1); // wrapped past the end
    EXPECT_EQ(list.FindString(3, QString::fromUtf8("бО")), 4);
    EXPECT_EQ(list.FindString(0, QStringLiteral("x")), CListBox::LB_ERR);
    EXPECT_EQ(list.FindString(-1, QString()), 0); // an empty prefix matches the first item

    EXPECT_EQ(list.FindStringExact(-1, QStringLiteral("ANNA")), 1);
    EXPECT_EQ(list.FindStringExact(1, QStringLiteral("anna")), 1); // found last, at the start
    EXPECT_EQ(list.FindStringExact(-1, QStringLiteral("ann")), CListBox::LB_ERR);
    EXPECT_EQ(list.FindStringExact(0, QString::fromUtf8("БОРИС")), 4);

    CListBox empty;
    EXPECT_EQ(empty.FindString(-1, QStringLiteral("a")), CListBox::LB_ERR);
}

TEST(CListBoxTest, ItemDataAndHandlesFollowTheItemWhenOthersAreInserted)
{
    CListBox list;
    list.SetSorted(true);
    const int index = list.AddString(QStringLiteral("m"));
    list.SetItemData(index, 2);
    QListWidgetItem* handle = list.item(index);
    list.AddString(QStringLiteral("a"));
    list.AddString(QStringLiteral("b"));
    EXPECT_EQ(list.row(handle), 2);
    EXPECT_EQ(list.GetItemData(2), 2u);
    EXPECT_EQ(list.GetItemData(0), 0u);
    EXPECT_FALSE(list.SetItemData(7, 1));
    EXPECT_EQ(list.GetItemData(7), 0u);
}

TEST(CListBoxTest, TopIndexScrollsByWholeItems)
{
    CListBox list;
    list.SetOwnerDraw(CListBox::OwnerDraw::Fixed);
    list.SetItemHeight(20);
    list.resize(120, 100);
    for (int i = 0; i < 40; ++i)
        list.AddString(QStringLiteral("item %1").arg(i));
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(list.GetTopIndex(), 0);
    list.SetTopIndex(17);
    EXPECT_EQ(list.GetTopIndex(), 17);
    EXPECT_EQ(list.visualItemRect(list.item(18)).top() - list.visualItemRect(list.item(17)).top(), 20);
}

TEST(CListBoxTest, VariableHeightsAreMeasuredOnceWhenAdded)
{
    struct Measured : CListBox {
        int calls = 0;
        int MeasureItem(int index) override
        {
            ++calls;
            return 10 + GetText(index).size();
        }
    } list;
    list.SetOwnerDraw(CListBox::OwnerDraw::Variable);
    list.AddString(QStringLiteral("abc"));
    list.AddString(QStringLiteral("abcdefgh"));
    EXPECT_EQ(list.calls, 2);
    EXPECT_EQ(list.GetItemHeight(0), 13);
    EXPECT_EQ(list.GetItemHeight(1), 18);
    list.resize(100, 100);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(list.calls, 2);
    EXPECT_EQ(list.visualItemRect(list.item(1)).height(), 18);
}

// Rows are placed from a running sum of heights: inserting, deleting and scrolling must keep
// every row directly below the one before it, and a point must find the row drawn there.
TEST(CListBoxTest, RowsStayStackedWhenOthersComeAndGo)
{
    struct Measured : CListBox {
        int MeasureItem(int index) override { return 10 + GetText(index).size(); }
    } list;
    list.SetOwnerDraw(CListBox::OwnerDraw::Variable);
    list.resize(100, 60);
    for (int i = 0; i < 30; ++i)
        list.AddString(QString(i % 7, QLatin1Char('x')));
    list.InsertString(5, QStringLiteral("inserted in the middle"));
    list.DeleteString(2);
    list.DeleteString(list.GetCount() - 1);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.SetTopIndex(list.GetCount() - 1);

    const QRect first = list.visualItemRect(list.item(0));
    int top = first.top();
    for (int i = 0; i < list.GetCount(); ++i) {
        const QRect rect = list.visualItemRect(list.item(i));
        ASSERT_EQ(rect.top(), top) << "row " << i;
        ASSERT_EQ(rect.height(), 10 + list.GetText(i).size()) << "row " << i;
        top += rect.height();
        if (rect.bottom() >= 0 && rect.top() < list.viewport()->height()) {
            EXPECT_EQ(list.indexAt(rect.center()).row(), i);
        }
    }
    // Scrolled to the end: the last row ends at the viewport's bottom.
    EXPECT_EQ(top, list.viewport()->height());
    EXPECT_FALSE(list.indexAt(QPoint(5, list.viewport()->height() + 5)).isValid());
}
