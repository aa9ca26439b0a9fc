#include "chat/CChatListBox.h"

#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace {

// Word-wraps text into lines of the given width; a word longer than a line is broken
// rather than lost past the right edge. Returns the height of all lines.
qreal LayOut(QTextLayout& layout, qreal width)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return y;
}

QString WithLineBreaks(QString text)
{
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.remove(QLatin1Char('\r'));
    return text;
}

} // namespace

CChatListBox::CChatListBox(QWidget* parent)
    : CListBox(parent)
{
    SetOwnerDraw(OwnerDraw::Variable);
}

void CChatListBox::SetTitleStyle(COLORREF color, const QFont& font)
{
    m_crTitle = color;
    m_fontTitle = font;
}

void CChatListBox::SetTextStyle(COLORREF color, const QFont& font)
{
    m_crText = color;
    m_fontText = font;
}

void CChatListBox::SetBackgroundColor(COLORREF color)
{
    m_crBackground = color;
    QPalette colours = palette();
    colours.setColor(QPalette::Base, ToQColor(color));
    setPalette(colours);
}

void CChatListBox::ApplyPreferences(const PreferencesMessageList& record)
{
    SetTitleStyle(record.m_crTitle, record.m_fontTitle.ToQFont());
    SetTextStyle(record.m_crText, record.m_fontText.ToQFont());
    SetBackgroundColor(record.m_crBackground);
}

void CChatListBox::SetFixedItemHeight(int height)
{
    m_bFixedHeight = true;
    m_nFixedItemHeight = height;
}

void CChatListBox::SplitLine(const QString& line, QString& title, QString& text)
{
    const qsizetype percent = line.indexOf(QLatin1Char('%'));
    title = percent < 0 ? QString() : line.left(percent);
    text = percent < 0 ? line : line.mid(percent + 1);
}

int CChatListBox::MeasureItem(int index)
{
    if (index < 0)
        return GetItemHeight(index);
    if (m_bFixedHeight)
        return m_nFixedItemHeight;
    // The whole string as stored, in the list's own (dialog) font, not the line fonts.
    QTextLayout layout(WithLineBreaks(GetText(index)), font());
    return static_cast<int>(std::ceil(LayOut(layout, ClientWidth()))) + 5;
}

void CChatListBox::DrawItem(const DrawItemStruct& item)
{
    if (item.itemId < 0)
        return;
    QPainter& painter = *item.painter;
    const QRect rect = item.rcItem;
    const QColor background = ToQColor(m_crBackground);
    QString title;
    QString text;
    SplitLine(GetText(item.itemId), title, text);

    // The title: one line at the top-left corner, its character cells filled.
    const QFont titleFont = m_fontTitle.value_or(font());
    painter.setFont(titleFont);
    painter.setPen(ToQColor(item.selected && item.focus ? kSelectedTitle : m_crTitle));
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(background);
    title.replace(QLatin1Char('\n'), QLatin1Char(' '));
    painter.drawText(QPoint(rect.left(), rect.top() + QFontMetrics(titleFont).ascent()), title);

    // The title's width when wrapped in the item: where the text column begins.
    qreal titleWidth = 0;
    if (!title.isEmpty()) {
        QTextLayout measure(title, titleFont);
        LayOut(measure, rect.width());
        for (int i = 0; i < measure.lineCount(); ++i)
            titleWidth = std::max(titleWidth, measure.lineAt(i).naturalTextWidth());
    }

    const QRect column(QPoint(rect.left() + static_cast<int>(std::ceil(titleWidth)) + kTextGap, rect.top() + 1),
                       rect.bottomRight());
    if (column.width() <= 0 || column.height() <= 0)
        return;
    QTextLayout layout(WithLineBreaks(text), m_fontText.value_or(font()));
    LayOut(layout, column.width());
    painter.setClipRect(column, Qt::IntersectClip);
    painter.setPen(ToQColor(m_crText));
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const QRectF cells(column.left() + line.x(), column.top() + line.y(), line.naturalTextWidth(), line.height());
        if (cells.top() >= column.bottom() + 1)
            break;
        painter.fillRect(cells, background);
    }
    layout.draw(&painter, column.topLeft());
}
