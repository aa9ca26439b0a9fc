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
    CSoundPlayerWorker* worker = m_worker;
    // Both run on the sound thread: the worker is prepared there and ends there.
    QObject::connect(&m_thread, &QThread::started, worker, [worker] { worker->Prepare(); }, Qt::DirectConnection);
    QObject::connect(&m_thread, &QThread::finished, worker, [worker] { delete worker; }, Qt::DirectConnection);
    m_thread.start();
}

CSoundPlayer::~CSoundPlayer()
{
    m_thread.quit();
    m_thread.wait();
}

void CSoundPlayer::Play(const QByteArray& wave)
{
    if (!wave.isEmpty())
        m_worker->Post(wave);
}

void CSoundPlayer::Stop()
{
    m_worker->Post(QByteArray());
}
