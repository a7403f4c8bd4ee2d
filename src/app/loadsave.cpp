// Loading the store into note windows and saving them back: the part of the program that
// reads and writes the store, and what it keeps to know which files hold which note.
#include <QCoreApplication>
#include <QDir>
#include <QScopeGuard>
#include <QSet>
#include <cstdio>
#include <utility>

#include "app/traycontroller.h"
#include "note/notewindow.h"
#include "platform/apppaths.h"
#include "platform/clock.h"
#include "platform/quitsignals.h"
#include "richtext/richtextbox.h"
#include "store/notestore.h"
#include "store/snapshots.h"

void TrayController::loadAll() {
    m_loading = true;
    auto loadingEnds = qScopeGuard([this] {
        m_loading = false;
        QuitSignals::setNothingUnsaved(!m_storeChanged);
    });
    const QString storeDir = paths::storeDir();
    QStringList problems;
    if (store::adoptStore(paths::programDir(), storeDir, &problems))
        tellUser(QStringLiteral("程序所在的文件夹不能写入，帖子已复制到 %1，今后保存在那里。")
                     .arg(QDir::toNativeSeparators(storeDir)));
    const store::LoadedStore loaded = store::loadStore(storeDir, m_switches.values(), &problems);
    if (loaded.unreadable) {
        // Whatever is in that file stays there: nothing is written over a store never read.
        m_unreadStore = store::settingsFilePath(storeDir);
        tellUser(QStringLiteral(
                     "无法读取帖子文件：%1\n为了不覆盖其中的帖子，Jotpin 这次不会保存任何改动。")
                     .arg(problems.join(u'\n')));
        return;
    }
    // Before any note is made, so that each new note follows the stored notes-on-top switch.
    m_switches.setValues(loaded.switches);
    if (loaded.firstStart) {
        newNote();  // saved soon, like every new note
        return;
    }
    int number = 0;
    QList<const NoteWindow*> toWrite;
    // The window system's answers to each shown note are taken as they come: Qt looks through
    // all that wait for each one it handles, so thousands left waiting made the start-up grow
    // with the square of the notes. Input waits until the notes are loaded, and so does a quit
    // signal. A change from outside meanwhile (the window manager resizing a note) is kept.
    bool changedFromOutside = false;
    auto takeWindowEvents = [this, &changedFromOutside] {
        const bool changedBefore = std::exchange(m_storeChanged, false);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::ExcludeSocketNotifiers);
        changedFromOutside = changedFromOutside || m_storeChanged;
        m_storeChanged = m_storeChanged || changedBefore;
    };
    for (const store::StoredNote& stored : loaded.notes) {
        if (QuitSignals::pending()) {
            // Asked to end while loading: what is not loaded must not be saved over.
            m_unreadStore = store::settingsFilePath(storeDir);
            return;
        }
        NoteWindow* note = createNote();
        note->lastAlarmMinute = QStringLiteral("-99");
        note->setNote(stored.note);
        const store::Content content = store::readContent(storeDir, stored.section, &problems);
        // A file moved aside is written anew at the next save, from what the note shows.
        if (content.movedAside) toWrite.append(note);
        if (content.kind == store::Content::Kind::Rtf) {
            QString why;
            if (!note->editor()->loadRtf(content.rtf, &why))
                problems.append(store::contentFilePath(storeDir, stored.section) +
                                QStringLiteral(": ") + why);
        } else if (content.kind == store::Content::Kind::Text) {
            note->editor()->setText(content.text);
        }
        note->setNumber(++number);
        m_storedAs.insert(note, stored.section);
        // With gaps between the sections, the next save numbers the notes afresh and gives
        // each content file its new number.
        note->layOut();
        // A note stored as hidden is never put on screen, not even for a moment; a shown one
        // does not take the focus, which may be in another program or in a note shown before.
        if (stored.note.visible) {
            note->setAttribute(Qt::WA_ShowWithoutActivating);
            note->show();
            note->setAttribute(Qt::WA_ShowWithoutActivating, false);
        }
        if (stored.note.reminderOn) note->reminderTimer.enabled = true;
        takeWindowEvents();
    }
    // What loading did is what the store holds already.
    m_contentChanged = QSet<const NoteWindow*>(toWrite.begin(), toWrite.end());
    m_storeChanged = !toWrite.isEmpty() || changedFromOutside;
    if (!problems.isEmpty())
        tellUser(QStringLiteral("读取帖子时出了问题：\n") + problems.join(u'\n'));
}

void TrayController::removeContentFile(int n) {
    // Nothing is removed from a store that was never read.
    if (n <= 0 || !m_unreadStore.isEmpty()) return;
    for (auto it = m_storedAs.cbegin(); it != m_storedAs.cend(); ++it) {
        if (it.value() == n) return;  // an open note is stored there
    }
    // With the save that renumbers the notes after it, so that a crash between the two
    // cannot bring the deleted note back without its text.
    m_removals.insert(n);
    storeChanged();
}

void TrayController::saveNow() {
    if (m_autoSave) m_autoSave->flush();
}

void TrayController::storeChanged() {
    m_storeChanged = true;
    QuitSignals::setNothingUnsaved(m_loading);  // what loading does is in the store already
    if (m_autoSave) m_autoSave->poke();
}

bool TrayController::saveAll(QStringList* errors, SaveScope scope) {
    if (scope == SaveScope::Changed && !m_storeChanged) return true;
    QStringList problems;
    bool saved = false;
    if (!m_unreadStore.isEmpty()) {
        problems.append(m_unreadStore + QStringLiteral(": 没有读取成功，不会被覆盖"));
    } else {
        // The settings file always, whole; of the content files only those that changed (all
        // of them for SaveScope::All), and those whose note moved to another number.
        QList<store::NoteToSave> notes;
        const QList<NoteWindow*> numbered = m_windows.numberedNotes();
        for (const NoteWindow* note : numbered) {
            const bool changed = scope == SaveScope::All || m_contentChanged.contains(note);
            notes.append(
                {note->note(), note->editor()->document(), changed ? 0 : m_storedAs.value(note)});
        }
        // The store as it stood before the first change of the day. Tried once a day: where
        // it cannot be made, every autosave would copy the store in vain and say so again.
        const QDate today = Clock::instance().now().date();
        if (m_snapshotDay != today) {
            m_snapshotDay = today;
            QString error;
            if (!store::snapshotStore(paths::storeDir(), paths::snapshotsDir(), today,
                                      kSnapshotDays, &error))
                std::fprintf(stderr, "jotpin: %s\n", qPrintable(error));
        }
        saved = store::saveStore(paths::storeDir(), m_switches.values(), notes, &problems,
                                 m_removals.values());
        if (saved) {
            for (int i = 0; i < numbered.size(); ++i)
                m_storedAs.insert(numbered[i], i + 1);
        }
    }
    if (saved) {
        m_storeChanged = false;
        m_contentChanged.clear();
        m_removals.clear();
        QuitSignals::setNothingUnsaved(true);
    }
    if (errors) *errors += problems;
    // Once per streak of failures, and once more when saving works again.
    if (!saved && !m_saveFailing)
        tellUser(QStringLiteral("帖子没有保存：\n") + problems.join(u'\n'));
    else if (saved && m_saveFailing)
        tellUser(QStringLiteral("帖子又能保存了。"));
    m_saveFailing = !saved;
    return saved;
}
