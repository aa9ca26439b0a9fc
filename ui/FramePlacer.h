#pragma once

#include <QBasicTimer>
#include <QMargins>
#include <QObject>
#include <QRect>

#include <functional>

class QWidget;

// Puts a shown top-level window so that its frame lies on a rectangle. The window's own area
// is that rectangle less the frame, whose thickness the window manager tells only some time
// after the window is shown: until then it counts as none, and the window is placed again as
// soon as it is known (it is watched for a second).
class FramePlacer : public QObject {
public:
    // The frame's rectangle for a frame of the given size.
    using Target = std::function<QRect(QSize frameSize)>;

    explicit FramePlacer(QWidget* window);

    void Place(Target target);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    static constexpr int kCheckMs = 20;
    static constexpr int kChecks = 50;

    QMargins Margins() const;
    void Apply();

    QWidget* m_pWindow;
    Target m_target;
    QMargins m_margins;
    QBasicTimer m_timer;
    int m_nChecks = 0;
};
