#include "sound/WaveImage.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr quint16 kFormatPcm = 1;
constexpr int kMaxChannels = 8;

quint32 Read32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}

quint16 Read16(const char* p)
{
    return qFromLittleEndian<quint16>(p);
}

} // namespace

std::optional<WaveImage> WaveImage::Parse(const QByteArray& image)
{
    if (image.size() < 12 || std::memcmp(image.constData(), "RIFF", 4) != 0
        || std::memcmp(image.constData() + 8, "WAVE", 4) != 0)
        return std::nullopt;
    const qsizetype end = std::min<qsizetype>(image.size(), 8 + static_cast<qsizetype>(Read32(image.constData() + 4)));
    std::optional<WaveImage> wave;
    bool haveFormat = false;
    qsizetype pos = 12;
    while (pos + 8 <= end) {
        const char* chunk = image.constData() + pos;
        const qsizetype size = Read32(chunk + 4);
        const qsizetype available = std::min<qsizetype>(size, end - pos - 8);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (available < 16 || Read16(chunk + 8) != kFormatPcm)
                return std::nullopt;
            WaveImage format;
            format.channels = Read16(chunk + 10);
            format.sampleRate = static_cast<int>(Read32(chunk + 12));
            format.bitsPerSample = Read16(chunk + 22);
            if (format.channels < 1 || format.channels > kMaxChannels || format.sampleRate < 1000
                || format.sampleRate > 384000 || (format.bitsPerSample != 8 && format.bitsPerSample != 16))
                return std::nullopt;
            wave = format;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && haveFormat) {
            const int frame = wave->channels * wave->bitsPerSample / 8;
            wave->samples = image.mid(pos + 8, available - available % frame);
            return wave;
        }
        pos += 8 + size + (size & 1); // chunks are padded to even sizes
    }
    return std::nullopt;
}

QAudioFormat WaveImage::Format() const
{
    QAudioFormat format;
    format.setChannelCount(channels);
    format.setSampleRate(sampleRate);
    format.setSampleFormat(bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return format;
}

int WaveImage::FrameCount() const
{
    const int frame = channels * bitsPerSample / 8;
    return frame > 0 ? static_cast<int>(samples.size() / frame) : 0;
}

QByteArray WaveImage::ConvertTo(const QAudioFormat& target) const
{
    const int frames = FrameCount();
    const int outChannels = target.channelCount();
    if (frames == 0 || outChannels < 1 || target.sampleRate() < 1 || target.bytesPerSample() == 0)
        return {};

    // One float per source frame and channel, in -1..1.
    auto sample = [&](int frame, int channel) -> float {
        const int index = frame * channels + channel;
        if (bitsPerSample == 8)
            return (static_cast<quint8>(samples[index]) - 128) / 128.0f;
        return qFromLittleEndian<qint16>(samples.constData() + 2 * index) / 32768.0f;
    };
    auto value = [&](int frame, int outChannel) -> float {
        if (channels == outChannels)
            return sample(frame, outChannel);
        if (channels == 1)
            return sample(frame, 0);
        float sum = 0;
        for (int c = 0; c < channels; ++c)
            sum += sample(frame, c);
        return sum / channels;
    };

    const qint64 outFrames = static_cast<qint64>(frames) * target.sampleRate() / sampleRate;
    QByteArray out(outFrames * target.bytesPerFrame(), Qt::Uninitialized);
    char* p = out.data();
    for (qint64 i = 0; i < outFrames; ++i) {
        const double position = static_cast<double>(i) * sampleRate / target.sampleRate();
        const int first = static_cast<int>(position);
        const int second = std::min(first + 1, frames - 1);
        const float weight = static_cast<float>(position - first);
        for (int c = 0; c < outChannels; ++c) {
            const float v = std::clamp(value(first, c) * (1 - weight) + value(second, c) * weight, -1.0f, 1.0f);
            switch (target.sampleFormat()) {
            case QAudioFormat::UInt8:
                *reinterpret_cast<quint8*>(p) = static_cast<quint8>(std::lround(v * 127.0f) + 128);
                break;
            case QAudioFormat::Int16:
                qToLittleEndian<qint16>(static_cast<qint16>(std::lround(v * 32767.0f)), p);
                break;
            case QAudioFormat::Int32:
                qToLittleEndian<qint32>(static_cast<qint32>(std::lround(v * 2147483647.0)), p);
                break;
            case QAudioFormat::Float:
                std::memcpy(p, &v, sizeof v);
                break;
            default:
                return {};
            }
            p += target.bytesPerSample();
        }
    }
    return out;
}
