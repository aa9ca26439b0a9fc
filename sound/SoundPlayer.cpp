#include "sound/SoundPlayer.h"

#include "platform/DesktopId.h"
#include "platform/Logging.h"

#include <QCoreApplication>
#include <QFile>

#include <canberra.h>

#include <mutex>

namespace {

// The one id of every cue: cancelling it stops whatever cue plays.
constexpr uint32_t kCueId = 1;

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
{
    if (ca_context_create(&m_context) != CA_SUCCESS) {
        m_context = nullptr;
        return;
    }
    // PulseAudio's protocol only (PipeWire speaks it too): the ALSA fallback would print
    // ALSA's complaints on a machine without a sound card.
    ca_context_set_driver(m_context, "pulse");
    const QByteArray id = DesktopId().toUtf8();
    ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Pellwick", CA_PROP_APPLICATION_ID, id.constData(),
                            CA_PROP_APPLICATION_ICON_NAME, id.constData(), nullptr);
    // Connects to the sound server ahead of the first cue, so that it is not late. Without a
    // server each cue tries again, so a server started later is used.
    const int opened = ca_context_open(m_context);
    if (opened != CA_SUCCESS)
        qCInfo(lcSound) << "no sound server for now:" << ca_strerror(opened);
}

SoundPlayer::~SoundPlayer()
{
    if (m_context)
        ca_context_destroy(m_context);
}

void SoundPlayer::Play(const QString& file)
{
    if (!m_context || !m_switch.IsOn())
        return;
    Stop();
    const QByteArray path = QFile::encodeName(file);
    const int played = ca_context_play(m_context, kCueId, CA_PROP_MEDIA_FILENAME, path.constData(),
                                       CA_PROP_MEDIA_ROLE, "event", nullptr);
    if (played != CA_SUCCESS)
        qCInfo(lcSound) << "cue not played:" << file << ca_strerror(played);
}

void SoundPlayer::Stop()
{
    if (m_context)
        ca_context_cancel(m_context, kCueId);
}
