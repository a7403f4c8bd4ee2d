#pragma once
// The sound module's plugin: built on its own so that only a sound maps Qt Multimedia.

#include <QObject>
#include <memory>

#include "desktop/soundmodule.h"

class QAudioOutput;
class QMediaPlayer;

class SoundPlugin : public QObject, public SoundModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID JOTPIN_SOUND_MODULE)
    Q_INTERFACES(SoundModule)

public:
    SoundPlugin();
    ~SoundPlugin() override;
    void play(const QString& path) override;
    void stop() override;

private:
    void ensurePlayer();

    std::unique_ptr<QAudioOutput> m_output;
    std::unique_ptr<QMediaPlayer> m_player;
};
