#include "sound/WaveImage.h"
#include "support/QtPrinters.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace {

QByteArray Le32(quint32 v)
{
    QByteArray out(4, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

QByteArray Le16(quint16 v)
{
    QByteArray out(2, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

QByteArray Chunk(const char* id, const QByteArray& body)
{
    QByteArray out = QByteArray(id, 4) + Le32(static_cast<quint32>(body.size())) + body;
    if (body.size() % 2)
        out.append('\0');
    return out;
}

QByteArray Format(quint16 tag, quint16 channels, quint32 rate, quint16 bits)
{
    const quint16 align = static_cast<quint16>(channels * bits / 8);
    return Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * align) + Le16(align) + Le16(bits);
}

QAudioFormat Target(int channels, int rate, QAudioFormat::SampleFormat sampleFormat)
{
    QAudioFormat format;
    format.setChannelCount(channels);
    format.setSampleRate(rate);
    format.setSampleFormat(sampleFormat);
    return format;
}

QByteArray Riff(const QByteArray& chunks)
{
    return "RIFF" + Le32(static_cast<quint32>(4 + chunks.size())) + "WAVE" + chunks;
}

} // namespace

TEST(WaveImageTest, ReadsFormatAndSamplesPastOtherChunks)
{
    const QByteArray samples("\x80\x90\xA0", 3);
    const QByteArray image
        = Riff(Chunk("LIST", QByteArray("abc", 3)) + Chunk("fmt ", Format(1, 1, 11025, 8)) + Chunk("data", samples));
    const std::optional<WaveImage> wave = WaveImage::Parse(image);
    ASSERT_TRUE(wave.has_value());
    EXPECT_EQ(wave->channels, 1);
    EXPECT_EQ(wave->sampleRate, 11025);
    EXPECT_EQ(wave->bitsPerSample, 8);
    EXPECT_EQ(wave->samples, samples);
    EXPECT_EQ(wave->FrameCount(), 3);
}

TEST(WaveImageTest, RefusesWhatIsNotPlainPcm)
{
    const QByteArray data = Chunk("data", QByteArray(8, '\0'));
    EXPECT_FALSE(WaveImage::Parse(QByteArray()).has_value());
    EXPECT_FALSE(WaveImage::Parse(QByteArray("RIFF\0\0\0\0WAVX", 12)).has_value());
    EXPECT_FALSE(WaveImage::Parse(Riff(Chunk("fmt ", Format(2, 1, 11025, 4)) + data)).has_value()); // ADPCM
    EXPECT_FALSE(WaveImage::Parse(Riff(Chunk("fmt ", Format(1, 1, 11025, 12)) + data)).has_value());
    EXPECT_FALSE(WaveImage::Parse(Riff(Chunk("fmt ", Format(1, 0, 11025, 8)) + data)).has_value());
    EXPECT_FALSE(WaveImage::Parse(Riff(data + Chunk("fmt ", Format(1, 1, 11025, 8)))).has_value());
    EXPECT_FALSE(WaveImage::Parse(Riff(Chunk("fmt ", Format(1, 1, 11025, 8)).left(12))).has_value());
}

TEST(WaveImageTest, ACutDataChunkKeepsItsWholeFrames)
{
    // Declares 100 bytes of 16-bit stereo but holds 7: one whole frame survives.
    const QByteArray image = Riff(Chunk("fmt ", Format(1, 2, 22050, 16)) + "data" + Le32(100) + QByteArray(7, '\x01'));
    const std::optional<WaveImage> wave = WaveImage::Parse(image);
    ASSERT_TRUE(wave.has_value());
    EXPECT_EQ(wave->samples.size(), 4);
}

TEST(WaveImageTest, ConvertsUnsignedMonoToSignedStereoAtTwiceTheRate)
{
    WaveImage wave{.channels = 1, .sampleRate = 11025, .bitsPerSample = 8, .samples = QByteArray("\x80\xC0\x40", 3)};
    const QByteArray out = wave.ConvertTo(Target(2, 22050, QAudioFormat::Int16));
    ASSERT_EQ(out.size(), 6 * 2 * 2);
    auto at
        = [&](int frame, int channel) { return qFromLittleEndian<qint16>(out.constData() + 4 * frame + 2 * channel); };
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_NEAR(at(1, 0), 8192, 2); // half-way between 0 and 0.5
    EXPECT_NEAR(at(2, 1), 16384, 2); // 0xC0 is +0.5 on both channels
    EXPECT_NEAR(at(4, 0), -16384, 2); // 0x40 is -0.5
}

TEST(WaveImageTest, ConvertsToFloatWithoutChangingTheRate)
{
    WaveImage wave{.channels = 1, .sampleRate = 11025, .bitsPerSample = 8, .samples = QByteArray("\x00\xFF", 2)};
    const QByteArray out = wave.ConvertTo(Target(1, 11025, QAudioFormat::Float));
    ASSERT_EQ(out.size(), 2 * 4);
    const float* values = reinterpret_cast<const float*>(out.constData());
    EXPECT_FLOAT_EQ(values[0], -1.0f);
    EXPECT_NEAR(values[1], 0.99f, 0.01f);
}
