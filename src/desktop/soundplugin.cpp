#include "desktop/soundplugin.h"

#include <QAudioOutput>
#include <QCoreApplication>
#include <QMediaPlayer>
#include <QUrl>

SoundPlugin::SoundPlugin() = default;
SoundPlugin::~SoundPlugin() = default;

void SoundPlugin::play(const QString& path) {
    stop();
    ensurePlayer();
    m_player->setSource(QUrl::fromLocalFile(path));
    m_player->play();
}

void SoundPlugin::stop() {
    if (!m_player) return;
    m_player->stop();
    m_player->setSource(QUrl());
}

void SoundPlugin::ensurePlayer() {
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
