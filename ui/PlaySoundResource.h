#pragma once

enum SoundCue {
    SOUND_MESSAGE = 180,
    SOUND_KEY = 181,
    SOUND_CHAT_LINE = 183,
};

// Starts the sound cue with the given number and returns at once; it stops the cue that is
// playing. A number without a sound, or a machine without audio output, plays nothing. Cues
// other than the key click start at most kCuesPerSecond times a second: those beyond, in a
// burst, are skipped (and counted in the log), not queued.
void PlaySoundResource(int id);
inline constexpr int kCuesPerSecond = 4;

// The user's choice: with sounds off, PlaySoundResource plays nothing.
void SetSoundsOn(bool on);

// Connects to the sound server ahead of the first cue, so that it is not late.
void PrepareSoundOutput();
