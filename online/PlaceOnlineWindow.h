#pragma once

#include <QList>
#include <QRect>
#include <QSize>

#include <optional>

// Where the Online window goes when it is shown. A placement stored at the last close is
// used as it was, moved onto the nearest screen if it lies off every screen (a monitor was
// unplugged). Without one, the window keeps its size and sits in the lower right corner of
// the first screen's work area, 4 pixels in from the right edge, and above keepClear (the tray's
// stand-in window, which sits in that corner) where it would cover it.
QRect PlaceOnlineWindow(const std::optional<QRect>& stored, QSize currentSize, const QList<QRect>& workAreas,
                        const QRect& keepClear = {});
