#include "ui/CListBox.h"

#include <QAccessible>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

constexpr int kDataRole = Qt::UserRole + 1;

// Hands painting to the list's own DrawItem.
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

private:
    CListBox* m_list;
};

// Lets a screen reader hear the item as its list words it, and shows the list's tool tip.
class ListBoxItem : public QListWidgetItem {
public:
    using QListWidgetItem::QListWidgetItem;

    QVariant data(int role) const override
    {
        const auto* list = qobject_cast<const CListBox*>(listWidget());
        if (list && role == Qt::AccessibleTextRole)
            return list->AccessibleText(list->row(this));
        if (list && role == Qt::ToolTipRole)
            return list->ToolTipText(list->row(this));
        return QListWidgetItem::data(role);
    }
};

} // namespace

CListBox::CListBox(QWidget* parent)
    : QListWidget(parent)
    , m_nItemHeight(fontMetrics().height())
{
    setItemDelegate(new CListBoxDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    connect(model(), &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int start, int end) { OnRowsRemoved(start, end); });
}

int CListBox::AddString(const QString& text, std::initializer_list<std::pair<int, QVariant>> roles)
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
    auto* entry = new ListBoxItem(text);
    for (const auto& [role, value] : roles)
        entry->setData(role, value);
    insertItem(index, entry);
    Measure(index);
    return index;
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

QStringList CListBox::GetTexts() const
{
    QStringList texts;
    for (int i = 0; i < count(); ++i)
        texts << item(i)->text();
    return texts;
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
    // Measured rows keep their heights; all others take the new one.
    if (m_ownerDraw != OwnerDraw::Variable) {
        for (std::size_t row = 0; row < m_tops.size(); ++row)
            m_tops[row] = static_cast<int>(row) * height;
    }
    updateGeometries();
    viewport()->update();
}

int CListBox::GetItemHeight(int index) const
{
    if (index < 0 || index + 1 >= static_cast<int>(m_tops.size()))
        return m_nItemHeight;
    return m_tops[index + 1] - m_tops[index];
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

QString CListBox::AccessibleText(int index) const
{
    return GetText(index);
}

QString CListBox::ToolTipText(int) const
{
    return {};
}

void CListBox::Measure(int index)
{
    if (m_ownerDraw == OwnerDraw::Variable)
        SetRowHeight(index, MeasureItem(index));
}

void CListBox::RemeasureItems()
{
    if (m_ownerDraw != OwnerDraw::Variable)
        return;
    const int top = GetTopIndex();
    // One pass over the row tops, not one per row.
    for (int row = 0; row < count(); ++row)
        m_tops[row + 1] = m_tops[row] + MeasureItem(row);
    updateGeometries();
    SetTopIndex(top);
    viewport()->update();
}

void CListBox::SetRowHeight(int row, int height)
{
    const int delta = height - GetItemHeight(row);
    if (delta == 0)
        return;
    // Only the rows below move: adding at the end touches one entry.
    for (std::size_t i = row + 1; i < m_tops.size(); ++i)
        m_tops[i] += delta;
    updateGeometries();
    UpdateFromRow(row);
}

void CListBox::UpdateFromRow(int row)
{
    const int top = RowTop(row) - verticalOffset();
    if (top < viewport()->height())
        viewport()->update(QRect(0, std::max(0, top), viewport()->width(), viewport()->height()));
}

int CListBox::RowTop(int row) const
{
    return m_tops[std::clamp<std::size_t>(row, 0, m_tops.size() - 1)];
}

int CListBox::ContentHeight() const
{
    return m_tops.back();
}

int CListBox::RowAtContentY(int y) const
{
    const int rows = static_cast<int>(m_tops.size()) - 1;
    if (rows == 0)
        return -1;
    const auto above = std::upper_bound(m_tops.begin(), m_tops.end() - 1, y);
    return std::clamp(static_cast<int>(above - m_tops.begin()) - 1, 0, rows - 1);
}

void CListBox::rowsInserted(const QModelIndex& parent, int start, int end)
{
    const int added = end - start + 1;
    const int top = RowTop(start);
    m_tops.insert(m_tops.begin() + start, added, 0);
    for (int i = 0; i < added; ++i)
        m_tops[start + i] = top + i * m_nItemHeight;
    for (std::size_t i = start + added; i < m_tops.size(); ++i)
        m_tops[i] += added * m_nItemHeight;
    updateGeometries();
    UpdateFromRow(start);
    QAbstractItemView::rowsInserted(parent, start, end);
}

void CListBox::OnRowsRemoved(int start, int end)
{
    const int removed = RowTop(end + 1) - RowTop(start);
    m_tops.erase(m_tops.begin() + start, m_tops.begin() + end + 1);
    for (std::size_t i = start; i < m_tops.size(); ++i)
        m_tops[i] -= removed;
    updateGeometries();
    UpdateFromRow(start);
}

void CListBox::reset()
{
    m_tops.assign(static_cast<std::size_t>(count()) + 1, 0);
    for (std::size_t row = 0; row < m_tops.size(); ++row)
        m_tops[row] = static_cast<int>(row) * m_nItemHeight;
    QAbstractItemView::reset();
    updateGeometries();
}

// The stock list view would lay every row out again here; the rows' tops are already known.
void CListBox::doItemsLayout()
{
    QAbstractItemView::doItemsLayout();
}

// A changed text or data word repaints the row; no row moves.
void CListBox::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

QRect CListBox::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    return QRect(0, RowTop(index.row()) - verticalOffset(), viewport()->width(), GetItemHeight(index.row()));
}

void CListBox::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!index.isValid() || index.row() >= count())
        return;
    const int top = RowTop(index.row());
    const int bottom = top + GetItemHeight(index.row());
    const int height = viewport()->height();
    const int offset = verticalOffset();
    int value = offset;
    switch (hint) {
    case PositionAtTop:
        value = top;
        break;
    case PositionAtBottom:
        value = bottom - height;
        break;
    case PositionAtCenter:
        value = (top + bottom - height) / 2;
        break;
    case EnsureVisible:
        if (top < offset)
            value = top;
        else if (bottom > offset + height)
            value = std::min(top, bottom - height);
        break;
    }
    verticalScrollBar()->setValue(value);
}

QModelIndex CListBox::indexAt(const QPoint& point) const
{
    const int y = point.y() + verticalOffset();
    if (point.x() < 0 || point.x() >= viewport()->width() || y < 0 || y >= ContentHeight())
        return {};
    return model()->index(RowAtContentY(y), 0);
}

// The pixels on screen move; only the strip that comes into view is painted.
void CListBox::scrollContentsBy(int dx, int dy)
{
    viewport()->scroll(dx, dy);
}

// Heights stay as measured when the width changes; only the scroll range follows.
void CListBox::resizeEvent(QResizeEvent* event)
{
    QAbstractItemView::resizeEvent(event);
}

void CListBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect area = event->rect();
    const int first = RowAtContentY(area.top() + verticalOffset());
    if (first < 0)
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex current = currentIndex();
    const bool focused = hasFocus();
    for (int row = first; row < count(); ++row) {
        const QRect rect(0, RowTop(row) - verticalOffset(), viewport()->width(), GetItemHeight(row));
        if (rect.top() > area.bottom())
            break;
        const QModelIndex index = model()->index(row, 0);
        option.rect = rect;
        option.state = isEnabled() ? QStyle::State_Enabled : QStyle::State_None;
        if (selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (focused && index == current)
            option.state |= QStyle::State_HasFocus;
        itemDelegate()->paint(&painter, option, index);
    }
}

int CListBox::horizontalOffset() const
{
    return 0;
}

int CListBox::verticalOffset() const
{
    return verticalScrollBar()->value();
}

QModelIndex CListBox::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    const int rows = count();
    if (rows == 0)
        return {};
    const int row = currentIndex().isValid() ? currentIndex().row() : -1;
    const int page = std::max(1, viewport()->height() / std::max(1, GetItemHeight(std::max(row, 0))));
    int next = row;
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        next = row - 1;
        break;
    case MoveDown:
    case MoveNext:
        next = row + 1;
        break;
    case MovePageUp:
        next = row - page;
        break;
    case MovePageDown:
        next = row + page;
        break;
    case MoveHome:
        next = 0;
        break;
    case MoveEnd:
        next = rows - 1;
        break;
    default:
        break;
    }
    return model()->index(std::clamp(next, 0, rows - 1), 0);
}

void CListBox::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    const QRect content = rect.normalized().translated(0, verticalOffset());
    if (count() == 0 || content.bottom() < 0 || content.top() >= ContentHeight()) {
        selectionModel()->select(QItemSelection(), command);
        return;
    }
    const QModelIndex first = model()->index(RowAtContentY(content.top()), 0);
    const QModelIndex last = model()->index(RowAtContentY(content.bottom()), 0);
    selectionModel()->select(QItemSelection(first, last), command);
}

QRegion CListBox::visualRegionForSelection(const QItemSelection& selection) const
{
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        const QRect top = visualRect(model()->index(range.top(), 0));
        const QRect bottom = visualRect(model()->index(range.bottom(), 0));
        region += (top | bottom).intersected(viewport()->rect());
    }
    return region;
}

void CListBox::updateGeometries()
{
    const int height = viewport()->height();
    verticalScrollBar()->setSingleStep(std::max(1, m_nItemHeight));
    verticalScrollBar()->setPageStep(std::max(1, height));
    verticalScrollBar()->setRange(0, std::max(0, ContentHeight() - height));
    QAbstractItemView::updateGeometries();
}

bool CListBox::isIndexHidden(const QModelIndex&) const
{
    return false;
}

// Screen readers follow the current row by its number.
void CListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QAbstractItemView::currentChanged(current, previous);
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(current.row());
        QAccessible::updateAccessibility(&focus);
    }
}

void CListBox::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);
    if (!QAccessible::isActive())
        return;
    for (const QModelIndex& index : selected.indexes()) {
        QAccessibleEvent event(this, QAccessible::SelectionAdd);
        event.setChild(index.row());
        QAccessible::updateAccessibility(&event);
    }
}

// The stock view asks its own layout here; ours has none.
QSize CListBox::viewportSizeHint() const
{
    return QAbstractItemView::viewportSizeHint();
}
