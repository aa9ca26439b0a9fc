#include "res/ResourceLoader.h"
#include "support/FileBytes.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(ResourceLoaderTest, EachButtonStripHasItsMaskAndItsPictureForScreensScaledByTwo)
{
    for (const auto& [imageId, maskId] :
         {std::pair(138, 139), std::pair(141, 142), std::pair(154, 152), std::pair(158, 159), std::pair(186, 187),
          std::pair(188, 189), std::pair(191, 192), std::pair(195, 193)}) {
        const QImage image = LoadBitmapResource(imageId);
        const QImage mask = LoadBitmapResource(maskId);
        ASSERT_FALSE(image.isNull()) << imageId;
        ASSERT_EQ(image.size(), mask.size()) << imageId;
        // Its picture for screens scaled by two: twice the pixels, transparent where the mask is.
        const QImage fine = LoadBitmapResource(imageId, 2);
        ASSERT_EQ(fine.size(), image.size() * 2) << imageId;
        EXPECT_TRUE(fine.hasAlphaChannel()) << imageId;
    }
}

// The cue files beside the test program, as beside the program in a build tree.
TEST(ResourceLoaderTest, EveryCueIsAWaveFileBesideTheProgramAndUnknownNumbersGiveNothing)
{
    for (const int id : {180, 181, 183}) {
        const QByteArray wave = FileBytes(SoundCueFile(id));
        EXPECT_TRUE(wave.startsWith("RIFF") && wave.mid(8, 4) == "WAVE") << id;
    }
    EXPECT_TRUE(LoadIconResource(4242).isNull());
    EXPECT_TRUE(LoadBitmapResource(4242).isNull());
    EXPECT_TRUE(LoadBitmapResource(139, 2).isNull()); // masks have no finer twin
    EXPECT_EQ(LoadBitmapResource(171, 2).size(), QSize(126, 324));
    EXPECT_TRUE(SoundCueFile(182).isEmpty());
}
