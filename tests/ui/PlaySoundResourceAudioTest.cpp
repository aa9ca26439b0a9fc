// Records the null sink of with-pulseaudio.sh's server while cues play.
#include "support/WaitFor.h"
#include "ui/PlaySoundResource.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRate = 11025;

// Stands in for the desktop's settings portal: answers the event-sound switch.
class SettingsPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    bool eventSounds = false;

public Q_SLOTS:
    QDBusVariant Read(const QString& group, const QString& key)
    {
        EXPECT_EQ(group, u"org.gnome.desktop.sound"_s);
        EXPECT_EQ(key, u"event-sounds"_s);
        // The portal's Read wraps the value in one more variant.
        return QDBusVariant(QVariant::fromValue(QDBusVariant(eventSounds)));
    }
};

void RunEvents(std::chrono::milliseconds time)
{
    WaitFor([] { return false; }, time);
}

} // namespace

// Event sounds off: silence; on: a burst of the first cue (0.91 s), cut by all of the second (0.16 s).
TEST(PlaySoundResourceAudioTest, TheSwitchSilencesCuesAndASecondCueCutsTheFirstAndPlaysWhole)
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER") || qEnvironmentVariable("PELLWICK_PRIVATE_BUS") != u"1")
        GTEST_SKIP() << "needs the private PulseAudio server of with-pulseaudio.sh and a private session bus";
    QDBusConnection portalBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"portal"_s);
    SettingsPortal portal;
    ASSERT_TRUE(
        portalBus.registerObject(u"/org/freedesktop/portal/desktop"_s, &portal, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(portalBus.registerService(u"org.freedesktop.portal.Desktop"_s));

    PrepareSoundOutput(); // as the program does at start: the sound server is ready
    QProcess parec;
    QByteArray samples;
    QObject::connect(&parec, &QProcess::readyReadStandardOutput, &parec,
                     [&] { samples += parec.readAllStandardOutput(); });
    parec.start(u"parec"_s,
                {u"--latency-msec=10"_s, u"--device=pellwick_null.monitor"_s, u"--format=u8"_s,
                 u"--rate=%1"_s.arg(kRate), u"--channels=1"_s, u"--raw"_s});
    ASSERT_TRUE(parec.waitForStarted(2000));
    // Warm-up: the recording runs (parec may take a while to connect) and is silent.
    ASSERT_TRUE(WaitFor([&] { return !samples.isEmpty(); }, std::chrono::seconds(20)));
    const qsizetype warmFrom = samples.size();
    PlaySoundResource(SOUND_MESSAGE); // event sounds are off
    RunEvents(std::chrono::milliseconds(1200));

    QDBusMessage changed = QDBusMessage::createSignal(u"/org/freedesktop/portal/desktop"_s,
                                                      u"org.freedesktop.portal.Settings"_s, u"SettingChanged"_s);
    changed << u"org.gnome.desktop.sound"_s << u"event-sounds"_s << QVariant::fromValue(QDBusVariant(true));
    ASSERT_TRUE(portalBus.send(changed));
    RunEvents(std::chrono::milliseconds(200));
    const qsizetype cuesFrom = samples.size();
    PlaySoundResource(SOUND_MESSAGE);
    RunEvents(std::chrono::milliseconds(50));
    PlaySoundResource(SOUND_CHAT_LINE);
    RunEvents(std::chrono::milliseconds(1500));
    parec.terminate();
    parec.waitForFinished(2000);
    QDBusConnection::disconnectFromBus(u"portal"_s);

    const auto loud = [&](qsizetype i) { return std::abs(static_cast<unsigned char>(samples[i]) - 128) > 4; };
    ASSERT_GT(samples.size() - cuesFrom, kRate);
    for (qsizetype i = warmFrom; i < cuesFrom - kRate / 20; ++i)
        ASSERT_FALSE(loud(i)) << "sound before any cue was allowed, at sample " << i;
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

#include "PlaySoundResourceAudioTest.moc"
