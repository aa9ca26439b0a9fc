#include "ui/CPaletteBitmap.h"

#include "res/ResourceLoader.h"

#include <QPainter>

void CPaletteBitmap::Load()
{
    const QImage image = LoadBitmapResource(m_nResourceId);
    m_palette = image.depth() <= 8 ? image.colorTable() : QList<QRgb>();
    // Converted once, so painting copies pixels and never looks colours up again.
    m_bitmap = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
    m_fine = m_bitmap.isNull() ? QImage() : LoadBitmapResource(m_nResourceId, 2).convertToFormat(QImage::Format_RGB32);
    m_fine.setDevicePixelRatio(2);
}

void CPaletteBitmap::Paint(QPainter& painter, QPoint topLeft) const
{
    // A screen scaled by two gets the picture drawn for it, at the same size.
    const bool fine = !m_fine.isNull() && painter.device() && painter.device()->devicePixelRatioF() > 1.5;
    if (!m_bitmap.isNull())
        painter.drawImage(topLeft, fine ? m_fine : m_bitmap);
}
