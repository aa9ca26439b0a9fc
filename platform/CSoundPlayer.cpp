#include "platform/CSoundPlayer.h"

#include "platform/CSoundPlayerWorker.h"

#include <QCoreApplication>

#include <mutex>

namespace {

CSoundPlayer* g_player = nullptr;

void DeletePlayer()
{
    delete g_player;
    g_player = nullptr;
}

} // namespace

CSoundPlayer& CSoundPlayer::Instance()
{
    static std::once_flag once;
    std::call_once(once, [] {
        g_player = new CSoundPlayer;
        // Runs in the application object's destructor, while Qt is still there.
        qAddPostRoutine(DeletePlayer);
    });
    return *g_player;
}

CSoundPlayer::CSoundPlayer()
    : m_worker(new CSoundPlayerWorker)
{
    m_thread.setObjectName(QStringLiteral("sound"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    CSoundPlayerWorker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker] { worker->Prepare(); }, Qt::QueuedConnection);
}

CSoundPlayer::~CSoundPlayer()
{
    CSoundPlayerWorker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker] { delete worker; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void CSoundPlayer::Play(const QByteArray& wave)
{
    CSoundPlayerWorker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker, wave] { worker->Play(wave); }, Qt::QueuedConnection);
}

void CSoundPlayer::Stop()
{
    CSoundPlayerWorker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker] { worker->Stop(); }, Qt::QueuedConnection);
}
