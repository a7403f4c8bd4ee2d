#include "desktop/sound.h"

#include <QAudioOutput>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>
#include <memory>

namespace {

class QtSound : public Sound {
public:
    void play(const QString& path) override {
        stop();
        if (!QFileInfo(path).isFile()) return;
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
        // Created on first use: Qt Multimedia is slow to start and most runs play nothing.
        m_output = std::make_unique<QAudioOutput>();
        m_player = std::make_unique<QMediaPlayer>();
        m_player->setAudioOutput(m_output.get());
        // Gone before the application object: a player outliving it crashes at exit.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [this] {
            m_player.reset();
            m_output.reset();
        });
    }

    std::unique_ptr<QAudioOutput> m_output;
    std::unique_ptr<QMediaPlayer> m_player;
};

}  // namespace

Sound& Sound::real() {
    static QtSound real;
    return real;
}
