// Records the private PulseAudio server's null sink while cues play (see with-pulseaudio.sh).
#include "support/WaitFor.h"
#include "ui/PlaySoundResource.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr int kRate = 11025;

// Raw unsigned 8-bit mono samples of the null sink's monitor, as they arrive.
class Recorder {
public:
    Recorder()
    {
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, &m_parec,
                         [this] { m_samples += m_parec.readAllStandardOutput(); });
        m_parec.start(QStringLiteral("parec"),
                      {QStringLiteral("--latency-msec=10"), QStringLiteral("--device=pellwick_null.monitor"),
                       QStringLiteral("--format=u8"), QStringLiteral("--rate=%1").arg(kRate),
                       QStringLiteral("--channels=1"), QStringLiteral("--raw")});
    }

    ~Recorder()
    {
        m_parec.terminate();
        m_parec.waitForFinished(2000);
    }

    bool Started() { return m_parec.waitForStarted(2000); }
    const QByteArray& Samples() const { return m_samples; }

private:
    QProcess m_parec;
    QByteArray m_samples;
};

bool Loud(char sample)
{
    return std::abs(static_cast<unsigned char>(sample) - 128) > 4;
}

void RunEvents(std::chrono::milliseconds time)
{
    QElapsedTimer clock;
    clock.start();
    WaitFor([&] { return clock.elapsed() >= time.count(); }, time + std::chrono::seconds(1));
}

} // namespace

TEST(PlaySoundResourceAudioTest, ASecondCueCutsTheFirstAndPlaysWhole)
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        GTEST_SKIP() << "needs the private PulseAudio server of with-pulseaudio.sh";
    PrepareSoundOutput(); // as the program does at start: the sound server is ready
    Recorder recorder;
    ASSERT_TRUE(recorder.Started());
    // Warm-up: the recording runs (parec may take a while to connect) and is silent.
    ASSERT_TRUE(WaitFor([&] { return !recorder.Samples().isEmpty(); }, std::chrono::seconds(20)));
    const qsizetype warmFrom = recorder.Samples().size();
    RunEvents(std::chrono::milliseconds(1000));

    PlaySoundResource(4242); // no such cue: silence
    RunEvents(std::chrono::milliseconds(400));
    const qsizetype cuesFrom = recorder.Samples().size();

    PlaySoundResource(SOUND_MESSAGE); // 0.91 s
    RunEvents(std::chrono::milliseconds(50));
    PlaySoundResource(SOUND_CHAT_LINE); // 0.16 s
    RunEvents(std::chrono::milliseconds(1500));

    const QByteArray& samples = recorder.Samples();
    ASSERT_GT(samples.size() - cuesFrom, kRate);
    for (qsizetype i = warmFrom; i < cuesFrom - kRate / 20; ++i)
        ASSERT_FALSE(Loud(samples[i])) << "sound before any cue, at sample " << i;

    qsizetype first = -1;
    qsizetype last = -1;
    for (qsizetype i = cuesFrom - kRate / 20; i < samples.size(); ++i) {
        if (Loud(samples[i])) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    ASSERT_GE(first, 0) << "nothing was heard";
    const double heard = static_cast<double>(last - first) / kRate;
    std::printf("heard %.3f s of sound\n", heard);
    // A burst of the first cue, then all of the second: about 0.05 + 0.155 s; never the
    // whole first cue (0.91 s), never less than the second cue.
    EXPECT_GT(heard, 0.16);
    EXPECT_LT(heard, 0.45);
}
