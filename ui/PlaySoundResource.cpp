#include "ui/PlaySoundResource.h"

#include "res/ResourceLoader.h"
#include "platform/Logging.h"
#include "sound/SoundPlayer.h"

#include <QHash>

#include <atomic>
#include <chrono>
#include <mutex>
#include <utility>

namespace {

std::atomic<bool> s_bSoundsOn = true;

// When each paced cue last started.
std::mutex s_paceMutex;
QHash<int, std::chrono::steady_clock::time_point> s_lastStart;
int s_nSkipped = 0;

// The user's own keys click as fast as they type; what others set off is paced: a cue that
// comes too soon after its last start is skipped, never queued.
bool IsDue(int id)
{
    if (id == SOUND_KEY)
        return true;
    const auto now = std::chrono::steady_clock::now();
    const std::lock_guard lock(s_paceMutex);
    auto& last = s_lastStart[id];
    if (now - last < std::chrono::seconds(1) / kCuesPerSecond) {
        ++s_nSkipped;
        return false;
    }
    last = now;
    if (s_nSkipped > 0)
        qCInfo(lcSound) << "skipped" << std::exchange(s_nSkipped, 0) << "sound cues that came too fast";
    return true;
}

} // namespace

void SetSoundsOn(bool on)
{
    s_bSoundsOn = on;
}

void PlaySoundResource(int id)
{
    if (!s_bSoundsOn || !IsDue(id))
        return;
    const QString file = SoundCueFile(id);
    if (file.isEmpty())
        return;
    SoundPlayer::Instance().Play(file);
}

void PrepareSoundOutput()
{
    SoundPlayer::Instance();
}
