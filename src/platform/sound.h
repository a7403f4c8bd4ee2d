#pragma once
// The alarm sound, driven by the command strings the program has always sent: "Open <path>
// ALias WAV", "Play WAV", "close WAV". Playing never waits. Tests install a double.

#include <QString>
#include <QStringList>

class Sound {
public:
    virtual ~Sound() = default;
    // Returns 0 when the command was carried out, non-zero otherwise; callers may ignore it.
    virtual int sendString(const QString& command) = 0;

    static Sound& instance();
    static void install(Sound* sound);  // not owned; nullptr restores the real one
};

// The parts of a command string: verb (lower case), alias and, for "open", the path.
struct SoundCommand {
    QString verb;
    QString path;
    QString alias;
};
SoundCommand parseSoundCommand(const QString& command);
