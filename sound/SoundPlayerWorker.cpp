#include "sound/SoundPlayerWorker.h"

#include "platform/Logging.h"
#include "sound/WaveImage.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#include <QTimer>

namespace {

// Silence after the last sample, so that the device has played the whole clip before
// the sink runs dry and may be closed.
constexpr int kTailMs = 60;
// An idle sink is closed after this long, unless a new sound has replaced it.
constexpr int kIdleCloseMs = 500;

QByteArray Silence(const QAudioFormat& format, int ms)
{
    const qint64 bytes = format.bytesForDuration(ms * 1000LL);
    return QByteArray(bytes, format.sampleFormat() == QAudioFormat::UInt8 ? '\x80' : '\0');
}

} // namespace

SoundPlayerWorker::~SoundPlayerWorker()
{
    Stop();
}

void SoundPlayerWorker::Post(const QByteArray& wave)
{
    {
        const std::lock_guard lock(m_mutex);
        m_pending = wave;
    }
    // Only a wake-up crosses Qt's event queue; the image itself crosses under the mutex.
    QMetaObject::invokeMethod(this, "ProcessPending", Qt::QueuedConnection);
}

void SoundPlayerWorker::ProcessPending()
{
    std::optional<QByteArray> wave;
    {
        const std::lock_guard lock(m_mutex);
        wave.swap(m_pending);
    }
    if (!wave)
        return; // an earlier wake-up already took it
    if (wave->isEmpty())
        Stop();
    else
        Play(*wave);
}

void SoundPlayerWorker::Stop()
{
    if (m_sink) {
        QAudioSink* sink = m_sink;
        m_sink = nullptr;
        sink->disconnect(this);
        sink->stop();
        delete sink;
    }
    m_buffer.close();
}

void SoundPlayerWorker::Prepare()
{
    QMediaDevices::defaultAudioOutput();
}

void SoundPlayerWorker::Play(const QByteArray& image)
{
    Stop();
    const std::optional<WaveImage> wave = WaveImage::Parse(image);
    if (!wave || wave->FrameCount() == 0) {
        qCInfo(lcSound) << "a cue is not a playable WAVE image; skipped";
        return;
    }
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        qCInfo(lcSound) << "no audio output device; cue skipped";
        return;
    }

    QAudioFormat format = wave->Format();
    if (device.isFormatSupported(format)) {
        m_pcm = wave->samples;
    } else {
        format = device.preferredFormat();
        m_pcm = wave->ConvertTo(format);
        if (m_pcm.isEmpty()) {
            qCInfo(lcSound) << "the device takes no format the cue converts to; skipped";
            return;
        }
    }
    m_pcm += Silence(format, kTailMs);

    m_buffer.setData(m_pcm);
    m_buffer.open(QIODevice::ReadOnly);
    m_sink = new QAudioSink(device, format, this);
    QAudioSink* sink = m_sink;
    QObject::connect(sink, &QAudioSink::stateChanged, this, [this, sink](QAudio::State state) {
        if (state != QAudio::IdleState)
            return;
        QTimer::singleShot(kIdleCloseMs, this, [this, sink] {
            if (m_sink == sink && sink->state() == QAudio::IdleState)
                Stop();
        });
    });
    m_sink->start(&m_buffer);
    if (m_sink->error() != QAudio::NoError) {
        qCInfo(lcSound) << "the audio output failed to start:" << m_sink->error();
        Stop();
    }
}
