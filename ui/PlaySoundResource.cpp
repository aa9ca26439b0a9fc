#include "ui/PlaySoundResource.h"

#include "platform/CSoundPlayer.h"
#include "res/ResourceLoader.h"

void PlaySoundResource(int id)
{
    const QByteArray wave = LoadSoundResource(id);
    if (wave.isEmpty())
        return;
    CSoundPlayer::Instance().Play(wave);
}
