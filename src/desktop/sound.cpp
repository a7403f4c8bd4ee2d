#include "desktop/sound.h"

#include <QFileInfo>

#include "desktop/modules.h"
#include "desktop/prompts.h"
#include "desktop/soundmodule.h"

namespace {

// Loads the sound module at the first sound: Qt Multimedia is slow to start and most runs play
// nothing.
class ModuleSound : public Sound {
public:
    void play(const QString& path) override {
        stop();
        if (!QFileInfo(path).isFile()) return;
        if (SoundModule* player = module()) player->play(path);
    }

    void stop() override {
        if (m_module) m_module->stop();
    }

private:
    SoundModule* module() {
        if (m_module || m_failed) return m_module;
        QString error;
        m_module = modules::load<SoundModule>(QStringLiteral("jotpin_sound"), &error);
        if (!m_module) {
            // Once: a note that rings every minute would otherwise say it every minute.
            m_failed = true;
            Prompts::instance().tell(QStringLiteral("无法播放声音：") + error,
                                     QStringLiteral("Jotpin"));
        }
        return m_module;
    }

    SoundModule* m_module = nullptr;
    bool m_failed = false;
};

}  // namespace

Sound& Sound::real() {
    static ModuleSound real;
    return real;
}
