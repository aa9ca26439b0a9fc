#include "ui/PlaySoundResource.h"

#include "res/ResourceLoader.h"
#include "sound/SoundPlayer.h"

void PlaySoundResource(int id)
{
    const QByteArray wave = LoadSoundResource(id);
    if (wave.isEmpty())
        return;
    SoundPlayer::Instance().Play(wave);
}

void PrepareSoundOutput()
{
    SoundPlayer::Instance();
}
