#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRgb>

class QPainter;

// A bitmap resource that carries its own colour table, drawn in exactly those colours (on a
// screen scaled by two, its picture for such screens where there is one).
class CPaletteBitmap {
public:
    void SetResourceId(int id) { m_nResourceId = id; }
    // Loads the resource; a missing one leaves the bitmap empty.
    void Load();
    // Draws the bitmap at its natural size; an empty bitmap draws nothing.
    void Paint(QPainter& painter, QPoint topLeft) const;

    bool IsEmpty() const { return m_bitmap.isNull(); }
    int Width() const { return m_bitmap.width(); }
    int Height() const { return m_bitmap.height(); }
    // The colour table of an image of up to 8 bits per pixel; empty for deeper images.
    const QList<QRgb>& Palette() const { return m_palette; }

private:
    QImage m_bitmap;
    QImage m_fine; // the same picture at twice the pixels, where there is one
    QList<QRgb> m_palette;
    int m_nResourceId = 0;
};
