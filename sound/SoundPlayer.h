#pragma once

#include <QByteArray>
#include <QObject>
#include <QThread>

class SoundPlayerWorker;

// Plays WAVE images from memory on the default audio output. Play returns at once: the
// audio device is opened and fed on a thread of its own. A new sound stops the one that is
// playing; with no audio device, or an image that is not PCM WAVE, nothing sounds.
class SoundPlayer {
public:
    // The one player of the process; it ends with the application object.
    static SoundPlayer& Instance();

    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    void Play(const QByteArray& wave);
    void Stop();

private:
    QThread m_thread;
    SoundPlayerWorker* m_worker = nullptr;
};
