// Loading the store into note windows and saving them back: the notebook below, saving soon
// after changes, and what the user hears of it.
#include "app/storekeeper.h"

#include <QCoreApplication>
#include <QDir>
#include <QScopeGuard>
#include <QSet>

#include "app/openwindows.h"
#include "model/programswitches.h"
#include "note/notewindow.h"
#include "platform/apppaths.h"
#include "platform/quitsignals.h"
#include "richtext/richtextbox.h"
#include "store/notestore.h"

StoreKeeper::StoreKeeper(const OpenWindows& windows, ProgramSwitches& switches, Notes notes,
                         int snapshotDays, QObject* parent)
    : QObject(parent),
      m_windows(windows),
      m_switches(switches),
      m_notes(std::move(notes)),
      m_notebook(paths::storeDir(), paths::snapshotsDir(), snapshotDays) {
    connect(&m_notebook, &Notebook::finished, this, &StoreKeeper::saveFinished);
    // Once per streak of failures, and once more when saving works again.
    connect(&m_notebook, &Notebook::failing, this, [this](const QStringList& problems) {
        Q_EMIT tell(QStringLiteral("帖子没有保存：\n") + problems.join(u'\n'));
    });
    connect(&m_notebook, &Notebook::worksAgain, this,
            [this] { Q_EMIT tell(QStringLiteral("帖子又能保存了。")); });
}

void StoreKeeper::load() {
    m_loading = true;
    auto loadingEnds = qScopeGuard([this] {
        m_loading = false;
        QuitSignals::setNothingUnsaved(!m_notebook.hasUnsaved());
    });
    const QString storeDir = paths::storeDir();
    m_notebook.setStoreDir(storeDir);
    QStringList problems;
    if (store::adoptStore(paths::programDir(), storeDir, &problems))
        Q_EMIT tell(QStringLiteral("程序所在的文件夹不能写入，帖子已复制到 %1，今后保存在那里。")
                        .arg(QDir::toNativeSeparators(storeDir)));
    const store::LoadedStore loaded = store::loadStore(storeDir, m_switches.values(), &problems);
    if (loaded.unreadable) {
        // Whatever is in that file stays there: nothing is written over a store never read.
        m_notebook.refuseWrites(store::settingsFilePath(storeDir));
        Q_EMIT tell(QStringLiteral(
                        "无法读取帖子文件：%1\n为了不覆盖其中的帖子，Jotpin 这次不会保存任何改动。")
                        .arg(problems.join(u'\n')));
        return;
    }
    // Before any note is made, so that each new note follows the stored notes-on-top switch.
    m_switches.setValues(loaded.switches);
    if (loaded.firstStart) {
        m_notes.first();  // saved soon, like every new note
        return;
    }
    int number = 0;
    QSet<const QObject*> toWrite;
    // The window system's answers to each shown note are taken as they come: Qt looks through
    // all that wait for each one it handles, so thousands left waiting made the start-up grow
    // with the square of the notes. Input waits until the notes are loaded, and so does a quit
    // signal. A change from outside meanwhile (the window manager resizing a note) is kept.
    bool changedFromOutside = false;
    auto takeWindowEvents = [this, &changedFromOutside] {
        const bool changedBefore = m_notebook.takeChanged();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::ExcludeSocketNotifiers);
        const bool changedNow = m_notebook.takeChanged();
        changedFromOutside = changedFromOutside || changedNow;
        if (changedNow || changedBefore) m_notebook.changed();
    };
    for (const store::StoredNote& stored : loaded.notes) {
        if (QuitSignals::pending()) {
            // Asked to end while loading: what is not loaded must not be saved over.
            m_notebook.refuseWrites(store::settingsFilePath(storeDir));
            return;
        }
        NoteWindow* note = m_notes.create();
        note->forgetLastAlarm();
        note->setNote(stored.note);
        const store::Content content = store::readContent(storeDir, stored.section, &problems);
        // A file moved aside is written anew at the next save, from what the note shows.
        if (content.movedAside) toWrite.insert(note);
        if (content.kind == store::Content::Kind::Rtf) {
            QString why;
            if (!note->editor()->loadRtf(content.rtf, &why))
                problems.append(store::contentFilePath(storeDir, stored.section) +
                                QStringLiteral(": ") + why);
        } else if (content.kind == store::Content::Kind::Text) {
            note->editor()->setText(content.text);
        }
        note->setNumber(++number);
        m_notebook.stored(note, stored.section);
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
        if (stored.note.reminderOn) note->setReminderChecking(true);
        takeWindowEvents();
    }
    // What loading did is what the store holds already.
    m_notebook.loaded(toWrite, changedFromOutside);
    if (!problems.isEmpty())
        Q_EMIT tell(QStringLiteral("读取帖子时出了问题：\n") + problems.join(u'\n'));
}

void StoreKeeper::contentChanged(const NoteWindow* note) {
    m_notebook.contentChanged(note);
}

void StoreKeeper::forget(const NoteWindow* note) {
    m_notebook.forget(note);
}

void StoreKeeper::removeContentFile(int n) {
    // With the save that renumbers the notes after it, so that a crash between the two
    // cannot bring the deleted note back without its text.
    if (m_notebook.removeContentFile(n)) changed();
}

void StoreKeeper::saveNow() {
    if (m_autoSave) saveAll();
}

void StoreKeeper::changed() {
    m_notebook.changed();
    QuitSignals::setNothingUnsaved(m_loading);  // what loading does is in the store already
    if (m_autoSave) m_autoSave->poke();
}

QList<Notebook::Page> StoreKeeper::pages() const {
    QList<Notebook::Page> pages;
    for (const NoteWindow* note : m_windows.numberedNotes())
        pages.append({note, note->note(), note->editor()->document()});
    return pages;
}

bool StoreKeeper::saveAll(QStringList* errors, Notebook::Scope scope) {
    return m_notebook.save(pages(), m_switches.values(), scope, errors);
}

void StoreKeeper::saveFinished(bool saved) {
    QuitSignals::setNothingUnsaved(!m_notebook.hasUnsaved());
    if (!m_autoSave) return;
    if (!saved)
        m_autoSave->retry();
    else if (m_notebook.hasUnsaved())
        m_autoSave->poke();  // changed while it was being written
}

void StoreKeeper::saveSoon(AutoSave::Delays delays) {
    // The texts are written on another thread, while the user types on.
    m_autoSave = new AutoSave(
        [this] {
            m_notebook.saveInBackground(pages(), m_switches.values());
            return true;  // how it went comes with the notebook's finished()
        },
        delays, this);
}

bool StoreKeeper::finish(QStringList* errors) {
    delete m_autoSave;
    m_autoSave = nullptr;
    return saveAll(errors);
}
