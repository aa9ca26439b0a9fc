#pragma once

#include "platform/EventSoundSwitch.h"

#include <QString>

struct ca_context;

// Plays sound files through the desktop's event-sound library (libcanberra), which plays them
// on a thread of its own: Play returns at once. Every cue carries the same id, so a new one
// stops the one that is playing. The desktop's event-sound switch is honoured; with no sound
// server, or a file that cannot be played, nothing sounds and nothing is printed.
class SoundPlayer {
public:
    // The one player of the process; it ends with the application object.
    static SoundPlayer& Instance();

    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    void Play(const QString& file);
    void Stop();

private:
    ca_context* m_context = nullptr;
    EventSoundSwitch m_switch;
};
