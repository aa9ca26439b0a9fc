#include "online/CUserListBox.h"

#include "prefs/FontRecord.h"
#include "res/ResourceLoader.h"

#include <QFontMetrics>
#include <QListWidgetItem>
#include <QPainter>

namespace {

constexpr int kIconSize = 16;
constexpr int kTop = 3;
constexpr int kTextLeft = 18;
constexpr int kTwoComputersRole = Qt::UserRole + 2;
const QString kTwoComputersMark = QStringLiteral(" (on two computers)");

} // namespace

CUserListBox::CUserListBox(QWidget* parent)
    : CListBox(parent)
    , m_font(FontRecord{.height = 16, .weight = 700, .face = QStringLiteral("Arial Cyr")}.ToQFont())
    , m_crBackground(ToColorRef(palette().color(QPalette::Button)))
{
    SetSorted(true);
    SetOwnerDraw(OwnerDraw::Fixed);
    // Online, online selected, in the chat room (twice: it looks the same selected).
    for (int id : {130, 131, 167, 167}) {
        const QIcon icon = LoadIconResource(id);
        if (!icon.isNull())
            m_imageList.push_back(icon.pixmap(kIconSize, kIconSize));
    }
    QPalette colours = palette();
    colours.setColor(QPalette::Base, ToQColor(m_crBackground));
    setPalette(colours);
    UpdateItemHeight();
}

COLORREF CUserListBox::Brighten(COLORREF color)
{
    return MakeColorRef((color & 0xFF) + 40, ((color >> 8) & 0xFF) + 40, ((color >> 16) & 0xFF) + 40);
}

void CUserListBox::SetTextAppearance(COLORREF color, const QFont& font)
{
    m_crText = color;
    m_font = font;
    UpdateItemHeight();
}

void CUserListBox::SetItemState(int index, int state)
{
    SetItemData(index, state == ITEM_IN_CHAT ? 2 : 0);
    viewport()->repaint();
}

void CUserListBox::SetOnTwoComputers(int index, bool onTwo)
{
    if (QListWidgetItem* entry = item(index)) {
        entry->setData(kTwoComputersRole, onTwo);
        viewport()->repaint();
    }
}

QString CUserListBox::ShownText(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry && entry->data(kTwoComputersRole).toBool() ? GetText(index) + kTwoComputersMark : GetText(index);
}

void CUserListBox::UpdateItemHeight()
{
    // Room for the icon and the text below their offset of 3, so that no item paints
    // into its neighbour.
    SetItemHeight(kTop + std::max({kIconSize, QFontMetrics(m_font).height(), fontMetrics().height()}) + 1);
}

QString CUserListBox::AccessibleText(int index) const
{
    return GetItemData(index) == 2 ? ShownText(index) + QStringLiteral(", in chat") : ShownText(index);
}

int CUserListBox::NameWidth() const
{
    return viewport()->width() - kTextLeft;
}

QString CUserListBox::ToolTipText(int index) const
{
    const QString name = ShownText(index);
    return QFontMetrics(m_font).horizontalAdvance(name) > NameWidth() ? name : QString();
}

void CUserListBox::DrawItem(const DrawItemStruct& item)
{
    if (item.itemId < 0)
        return;
    QPainter& painter = *item.painter;
    const bool lit = item.selected && item.focus;
    const COLORREF text = lit ? Brighten(m_crText) : m_crText;
    const std::size_t image = GetItemData(item.itemId) + (lit ? 1 : 0);

    if (m_bShowIcons && image < m_imageList.size())
        painter.drawPixmap(0, item.rcItem.top() + std::max(kTop, (item.rcItem.height() - kIconSize) / 2),
                           m_imageList[image]);

    painter.setFont(m_font);
    painter.setPen(ToQColor(text));
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(ToQColor(m_crBackground));
    const QFontMetrics metrics(m_font);
    painter.drawText(QPoint(item.rcItem.left() + kTextLeft, item.rcItem.top() + kTop + metrics.ascent()),
                     metrics.elidedText(ShownText(item.itemId), Qt::ElideRight, NameWidth()));
}
