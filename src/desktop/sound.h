#pragma once
// The alarm sound: one at a time for the whole program, as the notes share it. Playing never
// waits. Tests install a double.

#include <QString>

#include "platform/service.h"

class Sound : public Service<Sound> {
public:
    virtual ~Sound() = default;
    // Plays a file in place of whatever plays now; a file that cannot be played plays nothing.
    virtual void play(const QString& path) = 0;
    // Stops the sound and lets go of its file; nothing happens when none plays.
    virtual void stop() = 0;

private:
    friend Service;
    static Sound& real();
};
