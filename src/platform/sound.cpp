#include "platform/sound.h"

#include <QAudioOutput>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>
#include <memory>

SoundCommand parseSoundCommand(const QString& command) {
    SoundCommand parsed;
    const QString text = command.trimmed();
    const qsizetype space = text.indexOf(u' ');
    parsed.verb = text.left(space < 0 ? text.size() : space).toLower();
    QString rest = space < 0 ? QString() : text.mid(space + 1).trimmed();
    if (parsed.verb == u"open") {
        // "Open <path> ALias <name>": the path may hold spaces; the alias clause ends it.
        const qsizetype alias =
            rest.lastIndexOf(QStringLiteral(" alias "), -1, Qt::CaseInsensitive);
        if (alias >= 0) {
            parsed.alias = rest.mid(alias + 7).trimmed();
            rest = rest.left(alias).trimmed();
        }
        if (rest.size() >= 2 && rest.startsWith(u'"') && rest.endsWith(u'"'))
            rest = rest.mid(1, rest.size() - 2);
        parsed.path = rest;
    } else {
        parsed.alias = rest;
    }
    return parsed;
}

namespace {

class QtSound : public Sound {
public:
    int sendString(const QString& command) override {
        const SoundCommand c = parseSoundCommand(command);
        if (c.verb == u"open") {
            if (!QFileInfo(c.path).isFile()) return 1;
            ensurePlayer();
            m_player->setSource(QUrl::fromLocalFile(c.path));
            m_alias = c.alias.toLower();
            return 0;
        }
        if (!m_player || c.alias.toLower() != m_alias) return 1;
        if (c.verb == u"play") {
            m_player->play();
            return 0;
        }
        if (c.verb == u"close") {
            m_player->stop();
            m_player->setSource(QUrl());
            m_alias.clear();
            return 0;
        }
        return 1;
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
    QString m_alias;
};

Sound* g_installed = nullptr;

}  // namespace

Sound& Sound::instance() {
    if (g_installed) return *g_installed;
    static QtSound real;
    return real;
}

void Sound::install(Sound* sound) {
    g_installed = sound;
}
