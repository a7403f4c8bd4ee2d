#pragma once
// The alarm sound: one at a time for the whole program, as the notes share it. Playing never
// waits. Tests install a double.

#include <QString>

class Sound {
public:
    virtual ~Sound() = default;
    // Plays a file in place of whatever plays now; a file that cannot be played plays nothing.
    virtual void play(const QString& path) = 0;
    // Stops the sound and lets go of its file; nothing happens when none plays.
    virtual void stop() = 0;

    static Sound& instance();
    static void install(Sound* sound);  // not owned; nullptr restores the real one
};
