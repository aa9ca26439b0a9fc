#include "app/CIconFlashThread.h"

#include "platform/PostedEventOrder.h"

#include <atomic>
#include <chrono>
#include <system_error>

namespace {

quint64 NextSerial()
{
    static std::atomic<quint64> serial{0};
    return ++serial;
}

} // namespace

QEvent::Type CIconFlashThread::IconEvent::EventType()
{
    static const auto type = static_cast<Type>(registerEventType());
    return type;
}

CIconFlashThread::IconEvent::IconEvent(quint64 serial, int iconId, const QString& tip)
    : QEvent(EventType())
    , m_nSerial(serial)
    , m_nIconId(iconId)
    , m_strTip(tip)
{
}

CIconFlashThread::CIconFlashThread(QObject* tray, int firstIcon, int secondIcon, int count, const QString& tip,
                                   std::chrono::milliseconds step)
    : m_pTray(tray)
    , m_nIconFirst(firstIcon)
    , m_nIconSecond(secondIcon)
    , m_nCount(count)
    , m_strTip(tip)
    , m_step(step)
    , m_nSerial(NextSerial())
{
}

CIconFlashThread::~CIconFlashThread()
{
    Stop();
}

bool CIconFlashThread::Start()
{
    if (!m_hStopEvent.IsValid() || !m_hDoneEvent.IsValid())
        return false;
    try {
        m_thread = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CIconFlashThread::Stop()
{
    m_hStopEvent.Set();
    if (m_thread.joinable())
        m_thread.join();
}

void CIconFlashThread::Post(int iconId) const
{
    PostedEventOrder::Post(m_pTray, new IconEvent(m_nSerial, iconId, m_strTip));
}

void CIconFlashThread::Run()
{
    // The flash is decoration: it runs at the lowest priority (best effort).
    ThreadPriority::SetForCallingThread(ThreadPriority::kLowest);

    Post(m_nIconFirst);
    bool showingFirst = true;
    for (int steps = 0; !m_hStopEvent.IsSet(); ++steps) {
        if (m_hStopEvent.WaitFor(m_step))
            break;
        showingFirst = !showingFirst;
        Post(showingFirst ? m_nIconFirst : m_nIconSecond);
        if (m_nCount > 0 && steps >= m_nCount) {
            Post(0);
            break;
        }
    }
    m_hDoneEvent.Set();
}
