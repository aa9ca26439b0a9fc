#pragma once

#include "platform/EventSoundSwitch.h"

#include <QHash>
#include <QString>

#include <chrono>
#include <cstdint>

struct ca_context;

// Plays sound files through the desktop's event-sound library (libcanberra), which plays them
// on a thread of its own: Play returns at once. Every cue carries the same id, so a new one
// stops the one that is playing. A paced cue (one that others can set off, such as a message's)
// starts at most kCuesPerSecond times a second: those beyond, in a burst, are skipped (and
// counted in the log), not queued. The desktop's event-sound switch is
// honoured; with no sound server, or a file that cannot be played, nothing sounds and nothing
// is printed.
class SoundPlayer {
public:
    static constexpr int kCuesPerSecond = 4;

    // The one player of the process; it ends with the application object.
    static SoundPlayer& Instance();

    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    void Play(const QString& file, bool paced = false);
    void Stop();

private:
    ca_context* m_context = nullptr;
    QHash<QString, std::chrono::steady_clock::time_point> m_lastStart; // of each paced cue
    std::uint64_t m_skipped = 0;
    EventSoundSwitch m_switch;
};
