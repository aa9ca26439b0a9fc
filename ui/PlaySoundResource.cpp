#include "ui/PlaySoundResource.h"

#include "res/ResourceLoader.h"
#include "sound/SoundPlayer.h"

void PlaySoundResource(int id)
{
    const QString file = SoundCueFile(id);
    if (file.isEmpty())
        return;
    SoundPlayer::Instance().Play(file);
}

void PrepareSoundOutput()
{
    SoundPlayer::Instance();
}
