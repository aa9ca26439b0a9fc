#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QObject>

#include <mutex>
#include <optional>

class QAudioSink;

// The audio side of SoundPlayer; lives on the player's thread. Other threads only Post:
// the request is handed over under a mutex and the thread is woken to carry it out.
class SoundPlayerWorker : public QObject {
    Q_OBJECT

public:
    ~SoundPlayerWorker() override;

    // Any thread: play this WAVE image, or stop (an empty image), replacing what was asked before.
    void Post(const QByteArray& wave);
    // Connects to the sound server ahead of the first sound, so that it starts at once.
    void Prepare();

    Q_INVOKABLE void ProcessPending();

private:
    void Play(const QByteArray& wave);
    void Stop();

    std::mutex m_mutex;
    std::optional<QByteArray> m_pending; // guarded by m_mutex

    QAudioSink* m_sink = nullptr;
    QBuffer m_buffer;
    QByteArray m_pcm;
};
