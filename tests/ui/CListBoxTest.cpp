#include "ui/CListBox.h"
#include "support/QtPrinters.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

// Variable heights from the text's length; counts the measurements.
struct Measured : CListBox {
    Measured() { SetOwnerDraw(CListBox::OwnerDraw::Variable); }
    int MeasureItem(int index) override
    {
        ++calls;
        return 10 + GetText(index).size();
    }
    int calls = 0;
};

} // namespace

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

// Inserting, deleting and scrolling keep every row right below the one before it.
TEST(CListBoxTest, VariableRowsAreMeasuredOnceAndStayStacked)
{
    Measured list;
    list.resize(100, 60);
    list.SetSorted(true); // every string after the first goes in between others
    for (int i = 0; i < 30; ++i)
        list.AddString(QString(i % 7, QLatin1Char('x')));
    list.AddString(QStringLiteral("inserted in the middle"));
    delete list.item(2);
    delete list.item(list.GetCount() - 1);
    EXPECT_EQ(list.calls, 31);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.SetTopIndex(5);
    EXPECT_EQ(list.GetTopIndex(), 5);
    EXPECT_EQ(list.visualItemRect(list.item(5)).top(), 0);
    list.SetTopIndex(list.GetCount() - 1);
    EXPECT_EQ(list.calls, 31);

    int top = list.visualItemRect(list.item(0)).top();
    for (int i = 0; i < list.GetCount(); ++i) {
        const QRect rect = list.visualItemRect(list.item(i));
        ASSERT_EQ(rect.top(), top) << "row " << i;
        ASSERT_EQ(rect.height(), 10 + list.GetText(i).size()) << "row " << i;
        EXPECT_EQ(list.GetItemHeight(i), rect.height());
        top += rect.height();
        if (rect.bottom() >= 0 && rect.top() < list.viewport()->height()) {
            EXPECT_EQ(list.indexAt(rect.center()).row(), i);
        }
    }
    EXPECT_EQ(top, list.viewport()->height()); // scrolled to the end: the last row ends at the bottom
    EXPECT_FALSE(list.indexAt(QPoint(5, list.viewport()->height() + 5)).isValid());
}
