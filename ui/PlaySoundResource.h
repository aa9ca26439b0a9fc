#pragma once

enum SoundCue {
    SOUND_MESSAGE = 180,
    SOUND_KEY = 181,
    SOUND_CHAT_LINE = 183,
};

// Starts the sound cue with the given number and returns at once; it stops the cue that is
// playing. Cues other than the key click start at most a few times a second (see SoundPlayer). A number without a sound, or a machine without audio output, plays nothing.
void PlaySoundResource(int id);

// The user's choice: with sounds off, PlaySoundResource plays nothing.
void SetSoundsOn(bool on);

// Connects to the sound server ahead of the first cue, so that it is not late.
void PrepareSoundOutput();
