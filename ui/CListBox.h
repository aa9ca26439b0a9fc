#pragma once

#include <QListWidget>
#include <QRect>

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

class QPainter;

// A list with the rules the windows rely on: a sorted list inserts without regard to case;
// every item keeps a data word; the top item can be read and set. Items are drawn by the class (plain text)
// or by a subclass (owner drawing), with one fixed height or a height measured per item
// when it is added. QListWidgetItem pointers stay valid until their item is deleted, so
// callers may keep them as handles.
//
// The list lays its items out itself, from the top of every row kept as a running sum: adding
// a line at the end, scrolling to it and painting cost the same at 100,000 lines as at 10
// (the stock list view lays every item out again on each insert). Scrolling is by pixels.
class CListBox : public QListWidget {
    Q_OBJECT

public:
    enum class OwnerDraw { None, Fixed, Variable };

    // What an owner-drawn item is to look like.
    struct DrawItemStruct {
        QPainter* painter = nullptr;
        int itemId = -1;
        QRect rcItem;
        bool selected = false;
        bool focus = false;
    };

    explicit CListBox(QWidget* parent = nullptr);

    void SetSorted(bool sorted) { m_bSorted = sorted; }
    bool IsSorted() const { return m_bSorted; }
    void SetOwnerDraw(OwnerDraw mode) { m_ownerDraw = mode; }
    OwnerDraw GetOwnerDraw() const { return m_ownerDraw; }

    // Appends, or inserts in order when sorted; returns the new item's index. The item carries
    // the data in the given roles from the start, so that it is measured with them.
    int AddString(const QString& text, std::initializer_list<std::pair<int, QVariant>> roles = {});
    void ResetContent();
    int GetCount() const { return count(); }
    QString GetText(int index) const;
    // Every item's text, top to bottom.
    QStringList GetTexts() const;

    bool SetItemData(int index, std::uintptr_t value);
    std::uintptr_t GetItemData(int index) const;

    int GetTopIndex() const;
    void SetTopIndex(int index);
    int GetCurSel() const { return currentRow(); }
    void SetCurSel(int index);

    // Height of every item of a fixed-height list (also the default measure).
    void SetItemHeight(int height);
    int GetItemHeight(int index) const;
    // Width of the area items are drawn in, also before the list was first shown.
    int ClientWidth() const;

    // Owner drawing: called for every item to paint; the painter is clipped to the item.
    virtual void DrawItem(const DrawItemStruct& item);
    // Owner drawing with variable heights: called once when an item is added.
    virtual int MeasureItem(int index);
    // Measures every item again (after a change of fonts), keeping the top item in view.
    void RemeasureItems();
    // What a screen reader says for the item: its text unless a subclass knows better.
    virtual QString AccessibleText(int index) const;
    // The item's tool tip: none unless a subclass draws less than the whole item.
    virtual QString ToolTipText(int index) const;

    // The view's geometry, from the row tops rather than the stock layout.
    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    void doItemsLayout() override;
    void reset() override;

protected:
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    bool isIndexHidden(const QModelIndex& index) const override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    QSize viewportSizeHint() const override;

private:
    void Measure(int index);
    void SetRowHeight(int row, int height);
    // Repaints what lies from the row's top down: nothing above it moved.
    void UpdateFromRow(int row);
    void OnRowsRemoved(int start, int end);
    int RowTop(int row) const;
    // The row whose band holds the content y, clamped to the rows there are; -1 when empty.
    int RowAtContentY(int y) const;
    int ContentHeight() const;

    bool m_bSorted = false;
    OwnerDraw m_ownerDraw = OwnerDraw::None;
    int m_nItemHeight = 0;
    // m_tops[row] is the row's top in the content; one entry more than rows, the last one
    // the content's height.
    std::vector<int> m_tops{0};
};
