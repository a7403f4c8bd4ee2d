#include "app/programend.h"

#include <QStringList>
#include <cstdio>

#include "app/openwindows.h"
#include "app/programtray.h"
#include "desktop/prompts.h"
#include "desktop/sound.h"
#include "model/programswitches.h"
#include "notebook/storesync.h"
#include "platform/apppaths.h"
#include "platform/autostart.h"

void ProgramEnd::end(bool askedByUser) {
    if (m_ended) return;
    m_ended = true;
    Sound::instance().stop();
    QStringList problems;
    // A store switched from was saved before its files moved: never written again.
    if (!m_restart && !m_store.finish(&problems) && askedByUser)
        Prompts::instance().warn(
            QStringLiteral("Jotpin 退出了，但帖子没有保存：\n") + problems.join(u'\n'),
            QStringLiteral("退出软件"));

    QString error;
    const bool entryOk = m_switches.startWithSession()
                             ? autostart::write(paths::programDir(), paths::programName(), &error)
                             : autostart::remove(paths::programName(), &error);
    if (!entryOk) std::fprintf(stderr, "jotpin: %s\n", qPrintable(error));

    m_tray.remove();
    // Everything is on disk: the program may end right here, before the windows go.
    Q_EMIT ended();
    m_windows.closeAll();
}

void ProgramEnd::endToRestart() {
    if (m_ended) return;
    m_restart = true;
    end();
}
