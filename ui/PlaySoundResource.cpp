#include "ui/PlaySoundResource.h"

#include "res/ResourceLoader.h"
#include "sound/SoundPlayer.h"

#include <atomic>

namespace {

std::atomic<bool> s_bSoundsOn = true;

} // namespace

void SetSoundsOn(bool on)
{
    s_bSoundsOn = on;
}

void PlaySoundResource(int id)
{
    if (!s_bSoundsOn)
        return;
    const QString file = SoundCueFile(id);
    if (file.isEmpty())
        return;
    // The user's own keys click as fast as they type; what others set off is paced.
    SoundPlayer::Instance().Play(file, id != SOUND_KEY);
}

void PrepareSoundOutput()
{
    SoundPlayer::Instance();
}
