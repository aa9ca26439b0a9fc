#include "ui/CPaletteBitmap.h"

#include "res/ResourceLoader.h"

#include <QPainter>

void CPaletteBitmap::Load()
{
    const QImage image = LoadBitmapResource(m_nResourceId);
    m_palette = image.depth() <= 8 ? image.colorTable() : QList<QRgb>();
    // Converted once, so painting copies pixels and never looks colours up again.
    m_bitmap = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
}

void CPaletteBitmap::Paint(QPainter& painter, QPoint topLeft) const
{
    if (!m_bitmap.isNull())
        painter.drawImage(topLeft, m_bitmap);
}
