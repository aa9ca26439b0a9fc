#include "ui/CListBox.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

constexpr int kDataRole = Qt::UserRole + 1;
constexpr int kHeightRole = Qt::UserRole + 2;

// Hands painting and sizes to the list's own DrawItem and heights.
class CListBoxDelegate : public QStyledItemDelegate {
public:
    explicit CListBoxDelegate(CListBox* list)
        : QStyledItemDelegate(list)
        , m_list(list)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (m_list->GetOwnerDraw() == CListBox::OwnerDraw::None) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->save();
        painter->setClipRect(option.rect, Qt::IntersectClip);
        CListBox::DrawItemStruct item;
        item.painter = painter;
        item.itemId = index.row();
        item.rcItem = option.rect;
        item.selected = option.state.testFlag(QStyle::State_Selected);
        item.focus = option.state.testFlag(QStyle::State_HasFocus);
        m_list->DrawItem(item);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (m_list->GetOwnerDraw() == CListBox::OwnerDraw::None)
            return QStyledItemDelegate::sizeHint(option, index);
        return QSize(m_list->ClientWidth(), m_list->GetItemHeight(index.row()));
    }

private:
    CListBox* m_list;
};

} // namespace

CListBox::CListBox(QWidget* parent)
    : QListWidget(parent)
    , m_nItemHeight(fontMetrics().height())
{
    setItemDelegate(new CListBoxDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
}

int CListBox::AddString(const QString& text)
{
    int index = count();
    if (m_bSorted) {
        // After every item that does not sort after it: equal names keep their order.
        int low = 0;
        int high = count();
        while (low < high) {
            const int mid = (low + high) / 2;
            if (QString::compare(item(mid)->text(), text, Qt::CaseInsensitive) <= 0)
                low = mid + 1;
            else
                high = mid;
        }
        index = low;
    }
    insertItem(index, text);
    Measure(index);
    return index;
}

int CListBox::InsertString(int index, const QString& text)
{
    if (index == -1)
        index = count();
    if (index < 0 || index > count())
        return LB_ERR;
    insertItem(index, text);
    Measure(index);
    return index;
}

int CListBox::DeleteString(int index)
{
    if (index < 0 || index >= count())
        return LB_ERR;
    delete takeItem(index);
    return count();
}

void CListBox::ResetContent()
{
    clear();
}

QString CListBox::GetText(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry ? entry->text() : QString();
}

template <typename Match> int CListBox::Find(int start, Match match) const
{
    const int n = count();
    if (n == 0)
        return LB_ERR;
    const int first = (start < 0 || start >= n) ? 0 : start + 1;
    for (int k = 0; k < n; ++k) {
        const int index = (first + k) % n;
        if (match(item(index)->text()))
            return index;
    }
    return LB_ERR;
}

int CListBox::FindString(int start, const QString& prefix) const
{
    return Find(start, [&](const QString& text) { return text.startsWith(prefix, Qt::CaseInsensitive); });
}

int CListBox::FindStringExact(int start, const QString& text) const
{
    return Find(start, [&](const QString& candidate) { return candidate.compare(text, Qt::CaseInsensitive) == 0; });
}

bool CListBox::SetItemData(int index, std::uintptr_t value)
{
    QListWidgetItem* entry = item(index);
    if (!entry)
        return false;
    entry->setData(kDataRole, QVariant::fromValue<quint64>(value));
    return true;
}

std::uintptr_t CListBox::GetItemData(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry ? static_cast<std::uintptr_t>(entry->data(kDataRole).toULongLong()) : 0;
}

int CListBox::GetTopIndex() const
{
    const QModelIndex top = indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : 0;
}

void CListBox::SetTopIndex(int index)
{
    if (QListWidgetItem* entry = item(index))
        scrollToItem(entry, QAbstractItemView::PositionAtTop);
}

void CListBox::SetCurSel(int index)
{
    if (index < 0 || index >= count()) {
        setCurrentRow(-1);
        clearSelection();
        return;
    }
    setCurrentRow(index);
}

void CListBox::SetItemHeight(int height)
{
    m_nItemHeight = height;
    doItemsLayout();
}

int CListBox::GetItemHeight(int index) const
{
    if (m_ownerDraw == OwnerDraw::Variable) {
        const QListWidgetItem* entry = item(index);
        if (entry && entry->data(kHeightRole).isValid())
            return entry->data(kHeightRole).toInt();
    }
    return m_nItemHeight;
}

int CListBox::ClientWidth() const
{
    int width = this->width() - 2 * frameWidth();
    if (verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn || verticalScrollBar()->isVisible())
        width -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return std::max(0, width);
}

void CListBox::DrawItem(const DrawItemStruct& item)
{
    item.painter->drawText(item.rcItem, Qt::AlignLeft | Qt::AlignVCenter, GetText(item.itemId));
}

int CListBox::MeasureItem(int)
{
    return m_nItemHeight;
}

void CListBox::Measure(int index)
{
    if (m_ownerDraw == OwnerDraw::Variable)
        item(index)->setData(kHeightRole, MeasureItem(index));
}
