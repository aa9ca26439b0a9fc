#include "app/TrayIconFlash.h"

TrayIconFlash::TrayIconFlash(std::chrono::milliseconds step, QObject* parent)
    : QObject(parent)
{
    m_timer.setInterval(step);
    connect(&m_timer, &QTimer::timeout, this, &TrayIconFlash::OnStep);
}

void TrayIconFlash::Start(int firstIcon, int secondIcon, int count)
{
    m_nIconFirst = firstIcon;
    m_nIconSecond = secondIcon;
    m_nCount = count;
    m_nSteps = 0;
    m_bShowingFirst = true;
    m_timer.start();
    Q_EMIT ShowIcon(firstIcon);
}

void TrayIconFlash::OnStep()
{
    m_bShowingFirst = !m_bShowingFirst;
    Q_EMIT ShowIcon(m_bShowingFirst ? m_nIconFirst : m_nIconSecond);
    if (m_nCount > 0 && m_nSteps++ >= m_nCount) {
        m_timer.stop();
        Q_EMIT RanOut();
    }
}
