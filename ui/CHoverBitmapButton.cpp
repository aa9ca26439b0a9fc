#include "ui/CHoverBitmapButton.h"

#include "res/ResourceLoader.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

// On a dark palette the strips' dark grey outlines would vanish into the window: a dark grey
// pixel (the greys and the slate ink) that borders on the window behind, within reach pixels,
// takes the opposite lightness.
// Greys inside a picture, on its own colours, stay as drawn.
void LightenOutlines(QImage& frame, int reach)
{
    const QImage drawn = frame.convertToFormat(QImage::Format_ARGB32);
    QImage out = drawn;
    const auto behind = [&drawn](int x, int y) {
        return x >= 0 && y >= 0 && x < drawn.width() && y < drawn.height() && qAlpha(drawn.pixel(x, y)) < 128;
    };
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QColor colour = QColor::fromRgba(drawn.pixel(x, y));
            if (colour.alpha() == 0 || colour.hsvSaturation() > 128 || colour.lightness() >= 128)
                continue;
            bool border = false;
            for (int dy = -reach; dy <= reach && !border; ++dy)
                for (int dx = -reach; dx <= reach && !border; ++dx)
                    border = behind(x + dx, y + dy);
            if (border)
                out.setPixel(
                    x, y,
                    QColor::fromHsl(colour.hslHue(), colour.hslSaturation(), 255 - colour.lightness(), colour.alpha())
                        .rgba());
        }
    }
    frame = out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

CHoverBitmapButton::CHoverBitmapButton(int imageId, int maskId, QSize frame, QWidget* parent)
    : QPushButton(parent)
    , m_nImageId(imageId)
    , m_nMaskId(maskId)
    , m_frame(frame)
{
    setFixedSize(frame);
    setMouseTracking(true);
    // No background of its own: the mask lets the parent's show through.
    setAutoFillBackground(false);
    // A picture is never what Enter presses, nor may a dialog make it its default.
    setAutoDefault(false);
    LoadFrames();
    raise();
}

bool CHoverBitmapButton::IsDarkPalette() const
{
    return palette().color(QPalette::WindowText).lightness() > palette().color(QPalette::Window).lightness();
}

void CHoverBitmapButton::LoadFrames()
{
    // A screen scaled by two gets the finer strip where there is one; its alpha is its mask.
    const QImage fine = devicePixelRatioF() > 1.5 ? LoadBitmapResource(m_nImageId, 2) : QImage();
    const bool dark = IsDarkPalette();
    if (!fine.isNull()) {
        const QImage strip = fine.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int i = 0; i < 3; ++i) {
            m_opaque[i] = strip.copy(QRect(QPoint(i * m_frame.width() * 2, 0), m_frame * 2));
            if (dark)
                LightenOutlines(m_opaque[i], 2);
            m_opaque[i].setDevicePixelRatio(2);
            m_andPart[i] = QImage(m_frame * 2, QImage::Format_RGB32);
            m_andPart[i].fill(Qt::white);
            m_andPart[i].setDevicePixelRatio(2);
        }
        return;
    }
    const QImage image = LoadBitmapResource(m_nImageId).convertToFormat(QImage::Format_RGB32);
    const QImage mask = LoadBitmapResource(m_nMaskId).convertToFormat(QImage::Format_RGB32);
    for (int i = 0; i < 3; ++i) {
        m_opaque[i] = QImage(m_frame, QImage::Format_ARGB32_Premultiplied);
        m_opaque[i].fill(Qt::transparent);
        m_andPart[i] = QImage(m_frame, QImage::Format_RGB32);
        m_andPart[i].fill(Qt::white);
        if (image.isNull())
            continue;
        for (int y = 0; y < m_frame.height() && y < image.height(); ++y) {
            for (int x = 0; x < m_frame.width(); ++x) {
                const int sx = i * m_frame.width() + x;
                if (sx >= image.width())
                    break;
                const QRgb pixel = image.pixel(sx, y) | 0xFF000000u;
                const bool maskBit
                    = !mask.isNull() && sx < mask.width() && y < mask.height() && qGray(mask.pixel(sx, y)) > 127;
                if (maskBit)
                    m_andPart[i].setPixel(x, y, pixel);
                else
                    m_opaque[i].setPixel(x, y, pixel);
            }
        }
        if (dark)
            LightenOutlines(m_opaque[i], 1);
    }
}

void CHoverBitmapButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        LoadFrames();
}

void CHoverBitmapButton::SetBitmaps(int imageId, int maskId)
{
    m_nState = kNormal;
    m_bHovering = false;
    m_nImageId = imageId;
    m_nMaskId = maskId;
    LoadFrames();
    ResetHover();
}

void CHoverBitmapButton::SetHover(bool on)
{
    if (!m_bHovering && on) {
        m_nState = kHovered;
        m_bHovering = true;
        update();
    } else if (m_bHovering && !on) {
        m_nState = kNormal;
        m_bHovering = false;
        update();
    }
}

void CHoverBitmapButton::SetName(const QString& name)
{
    setAccessibleName(name);
    setToolTip(name);
}

void CHoverBitmapButton::ResetHover()
{
    m_bHovering = true;
    SetHover(false);
}

QSize CHoverBitmapButton::sizeHint() const
{
    return m_frame;
}

QSize CHoverBitmapButton::minimumSizeHint() const
{
    return m_frame;
}

void CHoverBitmapButton::paintEvent(QPaintEvent*)
{
    // Held down by mouse or by the space bar shows the pressed frame.
    const int frame = isDown() ? kPressed : m_nState;
    QPainter painter(this);
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter.drawImage(0, 0, m_andPart[frame]);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(0, 0, m_opaque[frame]);
}

void CHoverBitmapButton::mouseMoveEvent(QMouseEvent* event)
{
    if (rect().contains(event->position().toPoint())) {
        if (m_nState != kPressed)
            SetHover(true);
    } else {
        SetHover(false);
    }
    QPushButton::mouseMoveEvent(event);
}

void CHoverBitmapButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_bHovering = false;
        m_nState = kPressed;
        update();
    }
    QPushButton::mousePressEvent(event);
}

void CHoverBitmapButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_nState = kNormal;
        update();
    }
    QPushButton::mouseReleaseEvent(event);
}

void CHoverBitmapButton::leaveEvent(QEvent* event)
{
    // Qt reports leaving the button, so no pointer grab is needed to notice it.
    if (m_nState != kPressed)
        SetHover(false);
    QPushButton::leaveEvent(event);
}

void CHoverBitmapButton::focusInEvent(QFocusEvent* event)
{
    m_nState = kHovered;
    update();
    QPushButton::focusInEvent(event);
}

void CHoverBitmapButton::focusOutEvent(QFocusEvent* event)
{
    m_nState = kNormal;
    update();
    QPushButton::focusOutEvent(event);
}
