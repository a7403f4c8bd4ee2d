#pragma once
// The sound module (desktop/soundplugin.cpp): Qt Multimedia's player, loaded by the real Sound
// at the first sound.

#include <QString>
#include <QtPlugin>

class SoundModule {
public:
    virtual ~SoundModule() = default;
    // Plays a file in place of whatever plays now, without waiting.
    virtual void play(const QString& path) = 0;
    // Stops the sound and lets go of its file.
    virtual void stop() = 0;
};

#define JOTPIN_SOUND_MODULE "app.jotpin.SoundModule/1"
Q_DECLARE_INTERFACE(SoundModule, JOTPIN_SOUND_MODULE)
