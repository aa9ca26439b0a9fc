#include "chat/CChatListBox.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyle>
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

constexpr int kTitleRole = Qt::UserRole + 2;
constexpr int kTimeRole = Qt::UserRole + 3;

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

void CChatListBox::SetPageHeight(int height)
{
    m_nPageHeight = height;
    RemeasureItems();
}

int CChatListBox::AddLine(const QString& title, const QString& text, const QString& time)
{
    return AddString(text, {{kTitleRole, title}, {kTimeRole, time}});
}

QString CChatListBox::Title(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry ? entry->data(kTitleRole).toString() : QString();
}

QString CChatListBox::Time(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry ? entry->data(kTimeRole).toString() : QString();
}

QString CChatListBox::ShownText(int index) const
{
    const QString time = Time(index);
    return time.isEmpty() ? GetText(index) : QStringLiteral("[%1] %2").arg(time, GetText(index));
}

int CChatListBox::MeasureItem(int index)
{
    if (index < 0)
        return GetItemHeight(index);
    return std::max(m_nPageHeight, NaturalHeight(index));
}

int CChatListBox::NaturalHeight(int index) const
{
    // Measured as drawn, in the line fonts and the text column, so that no line is cut. A
    // scroll bar that may still come is counted already: then the column only gets wider.
    int width = ClientWidth();
    if (verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded && !verticalScrollBar()->isVisible())
        width = std::max(0, width - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this));
    const QString title = Title(index);
    const QString text = ShownText(index);
    const int titleHeight = title.isEmpty() ? 0 : static_cast<int>(std::ceil(QFontMetricsF(TitleFont()).height()));
    const int columnWidth = width - TextColumnLeft(title, width);
    int textHeight = 0;
    if (columnWidth > 0) {
        QTextLayout layout(WithLineBreaks(text), TextFont());
        textHeight = 1 + static_cast<int>(std::ceil(LayOut(layout, columnWidth)));
    }
    return std::max(titleHeight, textHeight) + 5;
}

QString CChatListBox::AccessibleText(int index) const
{
    // A line break is read as a pause, not as the characters that make it.
    QString text = GetText(index);
    text.replace(QStringLiteral("\r\n"), QStringLiteral(", ")).replace(QLatin1Char('\n'), QStringLiteral(", "));
    QStringList parts{Title(index), Time(index), text};
    parts.removeAll(QString());
    return parts.join(QStringLiteral(", "));
}

QColor CChatListBox::SelectedTitleColor() const
{
    // On a dark background the blue is lightened, so that the name stays readable.
    const QColor blue = ToQColor(kSelectedTitle);
    return ToQColor(m_crBackground).lightness() < 128 ? blue.lighter(170) : blue;
}

QFont CChatListBox::TitleFont() const
{
    return m_fontTitle.value_or(font());
}

QFont CChatListBox::TextFont() const
{
    return m_fontText.value_or(font());
}

int CChatListBox::TitleWidth(const QString& title, int width) const
{
    if (title.isEmpty())
        return 0;
    const int natural = static_cast<int>(std::ceil(QFontMetricsF(TitleFont()).horizontalAdvance(title)));
    return std::min(natural, width / kTitleShare);
}

int CChatListBox::TextColumnLeft(const QString& title, int width) const
{
    return TitleWidth(title, width) + kTextGap;
}

void CChatListBox::DrawItem(const DrawItemStruct& item)
{
    if (item.itemId < 0)
        return;
    QPainter& painter = *item.painter;
    const QRect rect = item.rcItem;
    const QColor background = ToQColor(m_crBackground);
    QString title = Title(item.itemId);
    const QString text = ShownText(item.itemId);

    // The title: one line at the top-left corner, its character cells filled.
    const QFont titleFont = TitleFont();
    painter.setFont(titleFont);
    painter.setPen(item.selected && item.focus ? SelectedTitleColor() : ToQColor(m_crTitle));
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(background);
    title.replace(QLatin1Char('\n'), QLatin1Char(' '));
    // A name too long for its share of the width ends in an ellipsis; the text keeps its room.
    const QFontMetrics titleMetrics(titleFont);
    const QString shown = titleMetrics.elidedText(title, Qt::ElideRight, TitleWidth(title, rect.width()) + 1);
    painter.drawText(QPoint(rect.left(), rect.top() + titleMetrics.ascent()), shown);

    const QRect column(QPoint(rect.left() + TextColumnLeft(title, rect.width()), rect.top() + 1), rect.bottomRight());
    if (column.width() <= 0 || column.height() <= 0)
        return;
    QTextLayout layout(WithLineBreaks(text), TextFont());
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
