#include "online/PlaceOnlineWindow.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int kRightMargin = 4;

qint64 DistanceSquared(QPoint a, QPoint b)
{
    const qint64 dx = a.x() - b.x();
    const qint64 dy = a.y() - b.y();
    return dx * dx + dy * dy;
}

QRect MovedInside(QRect window, const QRect& area)
{
    window.moveLeft(std::clamp(window.left(), area.left(), std::max(area.left(), area.right() + 1 - window.width())));
    window.moveTop(std::clamp(window.top(), area.top(), std::max(area.top(), area.bottom() + 1 - window.height())));
    return window;
}

} // namespace

QRect PlaceOnlineWindow(const std::optional<QRect>& stored, QSize currentSize, const QList<QRect>& workAreas,
                        const QRect& keepClear)
{
    if (workAreas.isEmpty())
        return stored.value_or(QRect(QPoint(0, 0), currentSize));

    if (!stored) {
        const QRect& area = workAreas.first();
        QRect window(area.right() + 1 - currentSize.width() - kRightMargin, area.bottom() + 1 - currentSize.height(),
                     currentSize.width(), currentSize.height());
        if (window.intersects(keepClear))
            window.moveBottom(std::max(area.top() + window.height() - 1, keepClear.top() - 1));
        return window;
    }

    const QRect window = *stored;
    if (std::any_of(workAreas.begin(), workAreas.end(), [&](const QRect& area) { return area.intersects(window); }))
        return window;

    const QRect* nearest = &workAreas.first();
    qint64 best = std::numeric_limits<qint64>::max();
    for (const QRect& area : workAreas) {
        const qint64 distance = DistanceSquared(area.center(), window.center());
        if (distance < best) {
            best = distance;
            nearest = &area;
        }
    }
    return MovedInside(window, *nearest);
}
