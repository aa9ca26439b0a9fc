#include "ui/FramePlacer.h"

#include <QTimerEvent>
#include <QWidget>
#include <QWindow>

FramePlacer::FramePlacer(QWidget* window)
    : QObject(window)
    , m_pWindow(window)
{
}

void FramePlacer::Place(Target target)
{
    m_target = std::move(target);
    Apply();
}

QMargins FramePlacer::Margins() const
{
    const QWindow* handle = m_pWindow->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

void FramePlacer::Apply()
{
    m_margins = Margins();
    const QRect inner = m_target(m_pWindow->size().grownBy(m_margins)).marginsRemoved(m_margins);
    m_pWindow->setGeometry(QRect(inner.topLeft(), inner.size().expandedTo(m_pWindow->minimumSize())));
    m_nChecks = 0;
    m_timer.start(kCheckMs, this);
}

void FramePlacer::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId())
        return QObject::timerEvent(event);
    if (Margins() != m_margins)
        Apply();
    else if (++m_nChecks >= kChecks)
        m_timer.stop();
}
