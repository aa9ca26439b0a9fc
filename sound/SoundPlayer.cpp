#include "sound/SoundPlayer.h"

#include "sound/SoundPlayerWorker.h"

#include <QCoreApplication>

#include <mutex>

namespace {

SoundPlayer* g_player = nullptr;

void DeletePlayer()
{
    delete g_player;
    g_player = nullptr;
}

} // namespace

SoundPlayer& SoundPlayer::Instance()
{
    static std::once_flag once;
    std::call_once(once, [] {
        g_player = new SoundPlayer;
        // Runs in the application object's destructor, while Qt is still there.
        qAddPostRoutine(DeletePlayer);
    });
    return *g_player;
}

SoundPlayer::SoundPlayer()
    : m_worker(new SoundPlayerWorker)
{
    m_thread.setObjectName(QStringLiteral("sound"));
    m_worker->moveToThread(&m_thread);
    SoundPlayerWorker* worker = m_worker;
    // Both run on the sound thread: the worker is prepared there and ends there.
    QObject::connect(
        &m_thread, &QThread::started, worker, [worker] { worker->Prepare(); }, Qt::DirectConnection);
    QObject::connect(
        &m_thread, &QThread::finished, worker, [worker] { delete worker; }, Qt::DirectConnection);
    m_thread.start();
}

SoundPlayer::~SoundPlayer()
{
    m_thread.quit();
    m_thread.wait();
}

void SoundPlayer::Play(const QByteArray& wave)
{
    if (!wave.isEmpty())
        m_worker->Post(wave);
}

void SoundPlayer::Stop()
{
    m_worker->Post(QByteArray());
}
