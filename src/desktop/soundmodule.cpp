// The sound module: a plugin of its own so that only a sound maps Qt Multimedia.
#include "desktop/soundmodule.h"

#include <QAudioOutput>
#include <QCoreApplication>
#include <QMediaPlayer>
#include <QUrl>
#include <memory>

class SoundPlugin : public QObject, public SoundModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID JOTPIN_SOUND_MODULE)
    Q_INTERFACES(SoundModule)

public:
    void play(const QString& path) override {
        stop();
        ensurePlayer();
        m_player->setSource(QUrl::fromLocalFile(path));
        m_player->play();
    }

    void stop() override {
        if (!m_player) return;
        m_player->stop();
        m_player->setSource(QUrl());
    }

private:
    void ensurePlayer() {
        if (m_player) return;
        m_output = std::make_unique<QAudioOutput>();
        m_player = std::make_unique<QMediaPlayer>();
        m_player->setAudioOutput(m_output.get());
        // Gone before the application object: a player outliving it crashes at exit.
        connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
            m_player.reset();
            m_output.reset();
        });
    }

    std::unique_ptr<QAudioOutput> m_output;
    std::unique_ptr<QMediaPlayer> m_player;
};

#include "soundmodule.moc"
