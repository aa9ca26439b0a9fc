#pragma once

#include <QListWidget>
#include <QRect>

#include <cstdint>

class QPainter;

// A list with the rules the windows rely on: a sorted list inserts without regard to case;
// FindString and FindStringExact search from the item after a start index to the end and
// then from the first item up to the start index, without regard to case; every item keeps
// a data word; the top item can be read and set. Items are drawn by the class (plain text)
// or by a subclass (owner drawing), with one fixed height or a height measured per item
// when it is added. QListWidgetItem pointers stay valid until their item is deleted, so
// callers may keep them as handles.
class CListBox : public QListWidget {
    Q_OBJECT

public:
    static constexpr int LB_ERR = -1;

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

    // Appends, or inserts in order when sorted; returns the new item's index.
    int AddString(const QString& text);
    // Inserts at index (-1: at the end), never sorting; returns the index or LB_ERR.
    int InsertString(int index, const QString& text);
    // Returns the number of items left, or LB_ERR for a bad index.
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const { return count(); }
    QString GetText(int index) const;

    // Index of the first item at or after start + 1 (wrapping) whose text begins with
    // prefix / equals text, without regard to case; start -1 searches from the first item.
    int FindString(int start, const QString& prefix) const;
    int FindStringExact(int start, const QString& text) const;

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

private:
    template <typename Match> int Find(int start, Match match) const;
    void Measure(int index);

    bool m_bSorted = false;
    OwnerDraw m_ownerDraw = OwnerDraw::None;
    int m_nItemHeight = 0;
};
