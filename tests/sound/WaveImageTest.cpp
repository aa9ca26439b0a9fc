#include "sound/WaveImage.h"
#include "support/QtPrinters.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace {

template <typename T> QByteArray Le(T value)
{
    QByteArray out(sizeof value, '\0');
    qToLittleEndian(value, out.data());
    return out;
}

QByteArray Chunk(const char* id, const QByteArray& body)
{
    return QByteArray(id, 4) + Le<quint32>(body.size()) + body + QByteArray(body.size() % 2, '\0');
}

QByteArray Format(quint16 tag, quint16 channels, quint32 rate, quint16 bits)
{
    const quint16 align = static_cast<quint16>(channels * bits / 8);
    return Chunk("fmt ", Le(tag) + Le(channels) + Le(rate) + Le(rate * align) + Le(align) + Le(bits));
}

QByteArray Riff(const QByteArray& chunks)
{
    return "RIFF" + Le<quint32>(4 + chunks.size()) + "WAVE" + chunks;
}

} // namespace

TEST(WaveImageTest, ReadsFormatAndSamplesPastOtherChunksAndKeepsTheWholeFramesOfACutChunk)
{
    const QByteArray samples("\x80\x90\xA0", 3);
    auto wave = WaveImage::Parse(Riff(Chunk("LIST", "abc") + Format(1, 1, 11025, 8) + Chunk("data", samples)));
    ASSERT_TRUE(wave.has_value());
    EXPECT_EQ(wave->channels, 1);
    EXPECT_EQ(wave->sampleRate, 11025);
    EXPECT_EQ(wave->bitsPerSample, 8);
    EXPECT_EQ(wave->samples, samples);

    // Declares 100 bytes of 16-bit stereo but holds 7: one whole frame survives.
    wave = WaveImage::Parse(Riff(Format(1, 2, 22050, 16) + "data" + Le<quint32>(100) + QByteArray(7, '\x01')));
    ASSERT_TRUE(wave.has_value());
    EXPECT_EQ(wave->samples.size(), 4);
}

TEST(WaveImageTest, RefusesWhatIsNotPlainPcm)
{
    const QByteArray data = Chunk("data", QByteArray(8, '\0'));
    for (const QByteArray& image :
         {QByteArray(), QByteArray("RIFF\0\0\0\0WAVX", 12), Riff(Format(2, 1, 11025, 4) + data), // ADPCM
          Riff(Format(1, 1, 11025, 12) + data), Riff(Format(1, 0, 11025, 8) + data),
          Riff(data + Format(1, 1, 11025, 8)), Riff(Format(1, 1, 11025, 8).left(12))})
        EXPECT_FALSE(WaveImage::Parse(image).has_value()) << image.toHex().toStdString();
}

TEST(WaveImageTest, ConvertsUnsignedBytesToSignedSamplesAtTheDevicesRateOrToFloat)
{
    WaveImage wave{.channels = 1, .sampleRate = 11025, .bitsPerSample = 8, .samples = QByteArray("\x80\xC0\x40", 3)};
    QAudioFormat format;
    format.setChannelCount(2);
    format.setSampleRate(22050);
    format.setSampleFormat(QAudioFormat::Int16);
    const QByteArray out = wave.ConvertTo(format);
    ASSERT_EQ(out.size(), 6 * 2 * 2);
    auto at
        = [&](int frame, int channel) { return qFromLittleEndian<qint16>(out.constData() + 4 * frame + 2 * channel); };
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_NEAR(at(1, 0), 8192, 2); // half-way between 0 and 0.5
    EXPECT_NEAR(at(2, 1), 16384, 2); // 0xC0 is +0.5 on both channels
    EXPECT_NEAR(at(4, 0), -16384, 2); // 0x40 is -0.5

    wave.samples = QByteArray("\x00\xFF", 2);
    format.setChannelCount(1);
    format.setSampleRate(11025);
    format.setSampleFormat(QAudioFormat::Float);
    const QByteArray floats = wave.ConvertTo(format);
    ASSERT_EQ(floats.size(), 2 * 4);
    EXPECT_FLOAT_EQ(reinterpret_cast<const float*>(floats.constData())[0], -1.0f);
    EXPECT_NEAR(reinterpret_cast<const float*>(floats.constData())[1], 0.99f, 0.01f);
}
