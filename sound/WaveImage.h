#pragma once

#include <QAudioFormat>
#include <QByteArray>

#include <optional>

// The PCM samples and format of a RIFF WAVE image held in memory (8- or 16-bit integer PCM).
struct WaveImage {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    QByteArray samples;

    // Nothing for anything but an uncompressed 8- or 16-bit PCM image. A data chunk cut
    // short keeps the samples that are there.
    static std::optional<WaveImage> Parse(const QByteArray& image);

    QAudioFormat Format() const;
    int FrameCount() const;
    // The samples in another format: channels copied or mixed down, rate converted by
    // linear interpolation, samples scaled to the target's sample type.
    QByteArray ConvertTo(const QAudioFormat& target) const;
};
