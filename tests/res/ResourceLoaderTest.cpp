#include "res/ResourceLoader.h"
#include "sound/WaveImage.h"
#include "support/QtPrinters.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <set>

namespace {

quint32 At32(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

quint16 At16(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

} // namespace

TEST(ResourceLoaderTest, EveryIconHasItsSmallAndLargeSizes)
{
    for (int id : {128, 130, 131, 161, 162, 165, 167}) {
        const QIcon icon = LoadIconResource(id);
        ASSERT_FALSE(icon.isNull()) << id;
        const QList<QSize> sizes = icon.availableSizes();
        EXPECT_TRUE(sizes.contains(QSize(16, 16))) << id;
        EXPECT_TRUE(sizes.contains(QSize(32, 32))) << id;
    }
    const QList<QSize> application = LoadIconResource(128).availableSizes();
    for (int size : {48, 64, 128, 256})
        EXPECT_TRUE(application.contains(QSize(size, size))) << size;
}

TEST(ResourceLoaderTest, TheTwoMessageIconsDifferAtSixteenPixels)
{
    // They alternate in the tray while a message waits: most pixels must change.
    const QImage first = LoadIconResource(161).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage second = LoadIconResource(162).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    int different = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            different += first.pixel(x, y) != second.pixel(x, y);
    EXPECT_GT(different, 128);
}

TEST(ResourceLoaderTest, StripsAndMasksHaveTheirSizesAndFewColours)
{
    struct Strip {
        int image, mask;
        QSize size;
    };
    const Strip strips[] = {
        {138, 139, {93, 31}}, {141, 142, {90, 30}}, {154, 152, {93, 24}}, {158, 159, {101, 34}},
        {186, 187, {45, 15}}, {188, 189, {45, 15}}, {191, 192, {45, 15}}, {195, 193, {45, 15}},
    };
    for (const Strip& strip : strips) {
        const QImage image = LoadBitmapResource(strip.image);
        const QImage mask = LoadBitmapResource(strip.mask);
        EXPECT_EQ(image.size(), strip.size) << strip.image;
        EXPECT_EQ(mask.size(), strip.size) << strip.mask;
        std::set<QRgb> colours;
        std::set<QRgb> maskColours;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                colours.insert(image.pixel(x, y));
                maskColours.insert(mask.pixel(x, y) & 0xFFFFFF);
                // Where the mask lets the background through the image is white.
                if ((mask.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF) {
                    ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, 0xFFFFFFu) << strip.image << " at " << x << "," << y;
                }
            }
        }
        EXPECT_LE(colours.size(), 16u) << strip.image;
        EXPECT_LE(maskColours.size(), 2u) << strip.mask;
    }
    EXPECT_FALSE(LoadBitmapResource(190).isNull());
}

TEST(ResourceLoaderTest, AboutPictureIsAnEightBitBitmapWithAFullColourTable)
{
    const QByteArray file = LoadBitmapFile(171);
    ASSERT_GE(file.size(), 54);
    ASSERT_TRUE(file.startsWith("BM"));
    const QByteArray dib = file.mid(14);
    EXPECT_EQ(dib.size(), 11432);
    EXPECT_EQ(At32(dib, 0), 40u); // header size
    EXPECT_EQ(At32(dib, 4), 63u); // width
    EXPECT_EQ(At32(dib, 8), 162u); // height, bottom-up
    EXPECT_EQ(At16(dib, 14), 8); // bits per pixel
    EXPECT_EQ(At32(dib, 16), 0u); // uncompressed
    EXPECT_EQ(At32(dib, 20), 10368u); // rows of 64 bytes
    EXPECT_EQ(At32(dib, 32), 0u); // colours used: all 256
    EXPECT_EQ(At32(file, 10), 14u + 40u + 1024u);

    const QImage image = LoadBitmapResource(171);
    EXPECT_EQ(image.size(), QSize(63, 162));
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
}

TEST(ResourceLoaderTest, SoundsAreEightBitMonoPcmOfTheirLengths)
{
    struct Clip {
        int id, rate, bytes;
    };
    for (const Clip& clip : {Clip{180, 11025, 9981}, Clip{181, 22050, 4578}, Clip{183, 11025, 1714}}) {
        const std::optional<WaveImage> wave = WaveImage::Parse(LoadSoundResource(clip.id));
        ASSERT_TRUE(wave.has_value()) << clip.id;
        EXPECT_EQ(wave->channels, 1) << clip.id;
        EXPECT_EQ(wave->bitsPerSample, 8) << clip.id;
        EXPECT_EQ(wave->sampleRate, clip.rate) << clip.id;
        EXPECT_EQ(wave->samples.size(), clip.bytes) << clip.id;
    }
}

TEST(ResourceLoaderTest, UnknownNumbersGiveNothing)
{
    EXPECT_TRUE(LoadIconResource(4242).isNull());
    EXPECT_TRUE(LoadIconResource(12).isNull()); // not a prefix match of 128
    EXPECT_TRUE(LoadBitmapResource(4242).isNull());
    EXPECT_TRUE(LoadSoundResource(182).isEmpty());
}
