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
    SoundPlayer::Instance().Play(file);
}

void PrepareSoundOutput()
{
    SoundPlayer::Instance();
}
