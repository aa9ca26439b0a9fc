#pragma once

#include <QImage>
#include <QPushButton>
#include <QSize>

// A push button drawn from a strip of three frames (normal, pressed, hovered) and a one-bit
// mask strip. Where the mask bit is 1 the window behind is combined with the image by a
// bitwise AND, so white image pixels there let it show through; where it is 0 the image
// pixel is drawn. The button is one frame large; clicks, keys and screen readers see an
// ordinary push button, whose accessible name the owner sets; it is never a default button.
// On a screen scaled by two it draws its finer strip, and on a dark palette its dark outlines
// turn light.
class CHoverBitmapButton : public QPushButton {
    Q_OBJECT

public:
    enum State { kNormal = 0, kPressed = 1, kHovered = 2 };

    CHoverBitmapButton(int imageId, int maskId, QSize frame, QWidget* parent = nullptr);

    // Replaces the picture; the frame size stays. Ends hovering.
    void SetBitmaps(int imageId, int maskId);
    virtual void SetHover(bool on);
    // Forces the normal look and repaints, whether or not the pointer was over the button.
    void ResetHover();
    // What the picture means, for screen readers and as its tool tip.
    void SetName(const QString& name);

    int State() const { return m_nState; }
    int ImageId() const { return m_nImageId; }
    int MaskId() const { return m_nMaskId; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool IsDarkPalette() const;
    void LoadFrames();

    int m_nImageId = 0;
    int m_nMaskId = 0;
    int m_nState = kNormal;
    bool m_bHovering = false;
    QSize m_frame;
    // Per frame: the pixels drawn as they are (mask 0, transparent elsewhere), and the
    // pixels ANDed with the background (mask 1, white elsewhere, which AND leaves alone).
    QImage m_opaque[3];
    QImage m_andPart[3];
};
