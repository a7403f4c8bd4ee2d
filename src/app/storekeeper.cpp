// Loading the store into note windows and saving them back: the notebook below, saving soon
// after changes, and what the user hears of it.
#include "app/storekeeper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>

#include "app/openwindows.h"
#include "model/programswitches.h"
#include "note/notewindow.h"
#include "notebook/storewatch.h"
#include "platform/apppaths.h"
#include "platform/clock.h"
#include "platform/quitsignals.h"
#include "richtext/richtextbox.h"
#include "store/notestore.h"

StoreKeeper::StoreKeeper(const OpenWindows& windows, ProgramSwitches& switches, Notes notes,
                         int snapshotDays, SyncDelays delays, QObject* parent)
    : QObject(parent),
      m_windows(windows),
      m_switches(switches),
      m_notes(std::move(notes)),
      m_notebook(paths::storeDir(), paths::snapshotsDir(), snapshotDays),
      m_delays(delays) {
    m_clock.start();
    connect(&m_notebook, &Notebook::finished, this, &StoreKeeper::saveFinished);
    m_recheck.setSingleShot(true);
    connect(&m_recheck, &QTimer::timeout, this, &StoreKeeper::checkDisk);
    // A save that found another machine's files wrote nothing: merged, then saved again.
    connect(&m_notebook, &Notebook::changedOnDisk, this, [this] {
        m_diskChangedDuringSave = true;
        if (!m_autoSave) return;  // the end: saveAll() tries again itself
        mergeFromDisk();
        m_autoSave->poke();
    });
    // Once per streak of failures, and once more when saving works again.
    connect(&m_notebook, &Notebook::failing, this, [this](const QStringList& problems) {
        Q_EMIT tell(QStringLiteral("帖子没有保存：\n") + problems.join(u'\n'));
    });
    connect(&m_notebook, &Notebook::worksAgain, this,
            [this] { Q_EMIT tell(QStringLiteral("帖子又能保存了。")); });
    connect(&m_notebook, &Notebook::notice, this,
            [this](const QStringList& what) { Q_EMIT tell(what.join(u'\n')); });
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
    if (!QFileInfo(storeDir).isDir()) {
        waitForStore();
        return;
    }
    // Taken first: a file that arrives while the notes load is merged after.
    store::DiskState disk = store::readDiskState(storeDir);
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
        m_notebook.loaded({}, false, {}, std::move(disk));
        m_notes.first();  // saved soon, like every new note
        return;
    }
    int number = 0;
    QSet<const QObject*> toWrite;
    QList<merge::StoredVersion> base;
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
        const store::Content content = showStored(note, stored.note, stored.section, &problems);
        // A file moved aside is written anew at the next save, from what the note shows.
        if (content.movedAside) toWrite.insert(note);
        note->setNumber(++number);
        m_notebook.stored(note, stored.section);
        base.append({stored.section, stored.note, content.hash});
        takeWindowEvents();
    }
    // What loading did is what the store holds already.
    const QStringList conflictCopies = disk.conflictCopies;
    // A note given its identity is written soon: other machines are to know it by it.
    m_identityToWrite = std::exchange(m_gaveIdentity, false);
    m_notebook.loaded(toWrite, changedFromOutside || m_identityToWrite, std::move(base),
                      std::move(disk));
    if (!problems.isEmpty())
        Q_EMIT tell(QStringLiteral("读取帖子时出了问题：\n") + problems.join(u'\n'));
    if (!conflictCopies.isEmpty()) foldConflictCopies(conflictCopies);
}

store::Content StoreKeeper::showStored(NoteWindow* note, const Note& values, int section,
                                       QStringList* problems) {
    const QString storeDir = paths::storeDir();
    if (values.created.isEmpty()) {
        // A note known by nothing across machines is given the time it was first read, as the
        // Windows program does, and it is written: read again, it is the same note.
        Note known = values;
        known.created = Clock::instance().now().time().toString();
        note->setNote(known);
        m_gaveIdentity = true;
    } else {
        note->setNote(values);
    }
    store::Content content = store::readContent(storeDir, section, problems);
    if (content.kind == store::Content::Kind::Rtf) {
        QString why;
        if (!note->editor()->loadRtf(content.rtf, &why))
            problems->append(store::contentFilePath(storeDir, section) + QStringLiteral(": ") +
                             why);
    } else if (content.kind == store::Content::Kind::Text) {
        note->editor()->setText(content.text);
    }
    // With gaps between the sections, the next save numbers the notes afresh and gives each
    // content file its new number.
    note->layOut();
    // A note stored as hidden is never put on screen, not even for a moment; a shown one does
    // not take the focus, which may be in another program or in a note shown before.
    if (values.visible) {
        note->setAttribute(Qt::WA_ShowWithoutActivating);
        note->show();
        note->setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
    if (values.reminderOn) note->setReminderChecking(true);
    return content;
}

void StoreKeeper::contentChanged(const NoteWindow* note) {
    if (m_applying) return;  // the text the store holds
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
    if (m_waiting) {
        if (errors)
            errors->append(QDir::toNativeSeparators(paths::storeDir()) +
                           QStringLiteral(": 帖子文件夹不在"));
        return false;
    }
    // Never over another machine's changes: they are merged first. Files that arrive between
    // the merge and the save stop it, and it is tried once more.
    for (int attempt = 0;; ++attempt) {
        mergeFromDisk(false);
        m_diskChangedDuringSave = false;
        const bool saved = m_notebook.save(pages(), m_switches.values(), scope, errors);
        if (!m_diskChangedDuringSave || attempt == 2) return saved && !m_diskChangedDuringSave;
    }
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
    if (m_waiting || m_autoSave) {
        m_saveSoonOnceThere = delays;
        return;
    }
    // The texts are written on another thread, while the user types on.
    m_autoSave = new AutoSave(
        [this] {
            // A save under way pokes again when it ends.
            if (m_notebook.saving()) return true;
            // Another machine's changes first; a store still arriving is waited for.
            if (!mergeFromDisk()) return false;
            m_notebook.saveInBackground(pages(), m_switches.values());
            return true;  // how it went comes with the notebook's finished()
        },
        delays, this);
    if (std::exchange(m_identityToWrite, false)) m_autoSave->poke();
    if (!m_notebook.writesRefused() && !m_watch) {
        m_watch = new StoreWatch(paths::storeDir(), m_delays.settleMs, this);
        connect(m_watch, &StoreWatch::settled, this, &StoreKeeper::checkDisk);
    }
}

bool StoreKeeper::finish(QStringList* errors) {
    delete m_autoSave;
    m_autoSave = nullptr;
    return saveAll(errors);
}
