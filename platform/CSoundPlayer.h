#pragma once

#include <QByteArray>
#include <QObject>
#include <QThread>

class CSoundPlayerWorker;

// Plays WAVE images from memory on the default audio output. Play returns at once: the
// audio device is opened and fed on a thread of its own. A new sound stops the one that is
// playing; with no audio device, or an image that is not PCM WAVE, nothing sounds.
class CSoundPlayer {
public:
    // The one player of the process; it ends with the application object.
    static CSoundPlayer& Instance();

    CSoundPlayer();
    ~CSoundPlayer();
    CSoundPlayer(const CSoundPlayer&) = delete;
    CSoundPlayer& operator=(const CSoundPlayer&) = delete;

    void Play(const QByteArray& wave);
    void Stop();

private:
    QThread m_thread;
    CSoundPlayerWorker* m_worker = nullptr;
};
