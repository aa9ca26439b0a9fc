#pragma once

#include "prefs/ColorRef.h"
#include "ui/CListBox.h"

#include <QFont>
#include <QPixmap>

#include <vector>

// The Online window's list of users: sorted, one fixed height, every item drawn as a state
// icon at the left edge and the name in the chosen colour and font on the button-face colour;
// a name too long for the list ends in an ellipsis and shows whole in its tool tip.
// An item's data is the index of its first icon: 0 online, 2 in the chat room.
class CUserListBox : public CListBox {
    Q_OBJECT

public:
    enum ItemState { ITEM_ONLINE = 0, ITEM_IN_CHAT = 1 };

    explicit CUserListBox(QWidget* parent = nullptr);

    // Takes a copy of the font: later changes of the caller's font do not reach the list.
    // Does not repaint.
    void SetTextAppearance(COLORREF color, const QFont& font);
    // Does not repaint.
    void ShowIcons(bool show) { m_bShowIcons = show; }
    // Sets the item's state and repaints the whole list at once.
    void SetItemState(int index, int state);
    // Marks a name that is used on two computers at once; repaints.
    void SetOnTwoComputers(int index, bool onTwo);

    COLORREF TextColor() const { return m_crText; }
    const QFont& TextFont() const { return m_font; }
    COLORREF BackgroundColor() const { return m_crBackground; }

    // Each byte of the colour plus 40, modulo 256: the colour of a selected, focused item.
    static COLORREF Brighten(COLORREF color);

    void DrawItem(const DrawItemStruct& item) override;
    // The name, then " (on two computers)" where marked, and ", in chat" for a user in the chat room.
    QString AccessibleText(int index) const override;
    // The whole name, where the list is too narrow for it.
    QString ToolTipText(int index) const override;

private:
    void UpdateItemHeight();
    // The name as the list shows it, with its mark.
    QString ShownText(int index) const;
    // The room for a name: from its left edge to the list's right edge.
    int NameWidth() const;

    std::vector<QPixmap> m_imageList;
    COLORREF m_crText = 0;
    QFont m_font;
    COLORREF m_crBackground = 0;
    bool m_bShowIcons = false;
};
