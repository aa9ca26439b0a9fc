// Records the private PulseAudio server's null sink while cues play (see with-pulseaudio.sh).
#include "support/WaitFor.h"
#include "ui/PlaySoundResource.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr int kRate = 11025;

void RunEvents(std::chrono::milliseconds time)
{
    QElapsedTimer clock;
    clock.start();
    WaitFor([&] { return clock.elapsed() >= time.count(); }, time + std::chrono::seconds(1));
}

} // namespace

// A burst of the first cue (0.91 s), then all of the second (0.16 s); an unknown cue is silence.
TEST(PlaySoundResourceAudioTest, ASecondCueCutsTheFirstAndPlaysWhole)
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        GTEST_SKIP() << "needs the private PulseAudio server of with-pulseaudio.sh";
    PrepareSoundOutput(); // as the program does at start: the sound server is ready
    // Raw unsigned 8-bit mono samples of the null sink's monitor, as they arrive.
    QProcess parec;
    QByteArray samples;
    QObject::connect(&parec, &QProcess::readyReadStandardOutput, &parec,
                     [&] { samples += parec.readAllStandardOutput(); });
    parec.start(QStringLiteral("parec"),
                {QStringLiteral("--latency-msec=10"), QStringLiteral("--device=pellwick_null.monitor"),
                 QStringLiteral("--format=u8"), QStringLiteral("--rate=%1").arg(kRate), QStringLiteral("--channels=1"),
                 QStringLiteral("--raw")});
    ASSERT_TRUE(parec.waitForStarted(2000));
    // Warm-up: the recording runs (parec may take a while to connect) and is silent.
    ASSERT_TRUE(WaitFor([&] { return !samples.isEmpty(); }, std::chrono::seconds(20)));
    const qsizetype warmFrom = samples.size();
    PlaySoundResource(4242);
    RunEvents(std::chrono::milliseconds(1000));
    const qsizetype cuesFrom = samples.size();

    PlaySoundResource(SOUND_MESSAGE);
    RunEvents(std::chrono::milliseconds(50));
    PlaySoundResource(SOUND_CHAT_LINE);
    RunEvents(std::chrono::milliseconds(1500));
    parec.terminate();
    parec.waitForFinished(2000);

    const auto loud = [&](qsizetype i) { return std::abs(static_cast<unsigned char>(samples[i]) - 128) > 4; };
    ASSERT_GT(samples.size() - cuesFrom, kRate);
    for (qsizetype i = warmFrom; i < cuesFrom - kRate / 20; ++i)
        ASSERT_FALSE(loud(i)) << "sound before any cue, at sample " << i;
    qsizetype first = -1;
    qsizetype last = -1;
    for (qsizetype i = cuesFrom - kRate / 20; i < samples.size(); ++i) {
        if (loud(i)) {
            first = first < 0 ? i : first;
            last = i;
        }
    }
    ASSERT_GE(first, 0) << "nothing was heard";
    const double heard = static_cast<double>(last - first) / kRate;
    std::printf("heard %.3f s of sound\n", heard);
    EXPECT_GT(heard, 0.16);
    EXPECT_LT(heard, 0.45);
}
