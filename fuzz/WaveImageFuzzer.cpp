// Feeds bytes to the WAVE reader and converts what it accepts to the formats an audio device
// may ask for. The reader must stay inside the image and the conversion inside its output.
#include "sound/WaveImage.h"

#include <cstdint>
#include <cstdlib>
#include <iterator>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// What audio devices ask for: channels, rate, sample format.
struct DeviceFormat {
    int channels;
    int rate;
    QAudioFormat::SampleFormat sampleFormat;
};
constexpr DeviceFormat kDeviceFormats[] = {
    {2, 48000, QAudioFormat::Int16},
    {1, 8000, QAudioFormat::UInt8},
    {6, 44100, QAudioFormat::Float},
    {1, 22050, QAudioFormat::Int32},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray image(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<WaveImage> wave = WaveImage::Parse(image);
    if (!wave)
        return 0;
    Check(wave->samples.size() <= image.size());
    Check(wave->samples.size() == qsizetype(wave->FrameCount()) * wave->channels * wave->bitsPerSample / 8);
    // One device format per input (the last byte picks it), so that each run stays short.
    const DeviceFormat& device = kDeviceFormats[data[size - 1] % std::size(kDeviceFormats)];
    QAudioFormat target;
    target.setChannelCount(device.channels);
    target.setSampleRate(device.rate);
    target.setSampleFormat(device.sampleFormat);
    const QByteArray out = wave->ConvertTo(target);
    const qint64 frames = qint64(wave->FrameCount()) * target.sampleRate() / wave->sampleRate;
    Check(out.size() == frames * target.bytesPerFrame());
    return 0;
}
