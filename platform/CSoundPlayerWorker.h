#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QObject>

class QAudioSink;

// The audio side of CSoundPlayer; lives on the player's thread and is only called there.
class CSoundPlayerWorker : public QObject {
public:
    ~CSoundPlayerWorker() override;

    // Connects to the sound server ahead of the first sound, so that it starts at once.
    void Prepare();
    void Play(const QByteArray& wave);
    void Stop();

private:
    void Release(QAudioSink* sink);

    QAudioSink* m_sink = nullptr;
    QBuffer m_buffer;
    QByteArray m_pcm;
};
