#pragma once

#include "prefs/ColorRef.h"
#include "prefs/PreferencesMessageList.h"
#include "ui/CListBox.h"

#include <QFont>

#include <optional>

// Conversation lines: every item has a title (the sender), an optional time and a text, each
// kept as the item's own data. The title is drawn on one line at the item's top-left in its own
// font and colour, in at most a third of the width (a longer one is elided); the text, after
// "[time] " where there is a time, follows 10 pixels after the title's end, word-wrapped, in its
// own font and colour, and is cut at the item's edges. An item is measured as it is drawn, so
// its lines always fit. Everything is drawn as plain text.
class CChatListBox : public CListBox {
    Q_OBJECT

public:
    explicit CChatListBox(QWidget* parent = nullptr);

    // The list keeps its own copies of the fonts. Nothing is repainted.
    void SetTitleStyle(COLORREF color, const QFont& font);
    void SetTextStyle(COLORREF color, const QFont& font);
    void SetBackgroundColor(COLORREF color);
    // Every item is at least this tall: one message fills a list of that height, and a longer
    // one runs on below it. Measures every item again.
    void SetPageHeight(int height);
    // All three styles from a stored scheme.
    void ApplyPreferences(const PreferencesMessageList& record);
    // Appends a line; its text is what GetText gives back.
    int AddLine(const QString& title, const QString& text, const QString& time = {});
    QString Title(int index) const;
    QString Time(int index) const;

    COLORREF TitleColor() const { return m_crTitle; }
    COLORREF TextColor() const { return m_crText; }
    COLORREF BackgroundColor() const { return m_crBackground; }

    // The colour of the title of a selected item in a focused list (lighter on a dark background).
    static constexpr COLORREF kSelectedTitle = MakeColorRef(50, 50, 255);
    // Gap between the end of the title and the text.
    static constexpr int kTextGap = 10;
    // A title takes at most this part of the width: 3 is a third.
    static constexpr int kTitleShare = 3;

    void DrawItem(const DrawItemStruct& item) override;
    int MeasureItem(int index) override;
    // The height the item needs to show all of its lines, page or not.
    int NaturalHeight(int index) const;
    // "pwa1, 23:55, text": the name, the time, the words.
    QString AccessibleText(int index) const override;

private:
    // The text as drawn: "[time] text", or the text alone.
    QString ShownText(int index) const;
    QColor SelectedTitleColor() const;
    QFont TitleFont() const;
    QFont TextFont() const;
    // The title's width on one line, at most a third of the item's width.
    int TitleWidth(const QString& title, int width) const;
    // Where the text column begins in an item of the width: 10 pixels after the title.
    int TextColumnLeft(const QString& title, int width) const;

    COLORREF m_crBackground = 0;
    int m_nPageHeight = 0;
    std::optional<QFont> m_fontText;
    std::optional<QFont> m_fontTitle;
    COLORREF m_crText = 0xFFFFFF;
    COLORREF m_crTitle = 0xFFFFFF;
};
