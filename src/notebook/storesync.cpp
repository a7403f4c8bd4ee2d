// When the store is read and written: loaded at the start, saved soon after changes and at the
// end, merged when its folder changes, waited for while it is not there.
#include "notebook/storesync.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

#include "model/programswitches.h"
#include "notebook/storewatch.h"
#include "platform/quitsignals.h"

StoreSync::StoreSync(NoteShelf& shelf, ProgramSwitches& switches, Places places, SyncDelays delays,
                     QObject* parent)
    : QObject(parent),
      m_shelf(shelf),
      m_switches(switches),
      m_places(std::move(places)),
      m_delays(delays),
      m_notebook(m_places.store, m_places.snapshots, m_places.snapshotDays, m_places.conflicts),
      m_merger(shelf, switches, m_notebook, m_places, delays.arrivingMs) {
    connect(&m_merger, &StoreMerger::unsaved, this, &StoreSync::changed);
    connect(&m_merger, &StoreMerger::happened, this, &StoreSync::happened);
    connect(&m_notebook, &Notebook::finished, this, &StoreSync::saveFinished);
    m_recheck.setSingleShot(true);
    connect(&m_recheck, &QTimer::timeout, this, &StoreSync::checkDisk);
    // A save that found another machine's files wrote nothing: merged, then saved again.
    connect(&m_notebook, &Notebook::changedOnDisk, this, [this] {
        m_diskChangedDuringSave = true;
        if (!m_autoSave) return;  // the end: saveAll() tries again itself
        mergeFromDisk();
        m_autoSave->poke();
    });
    // Once per streak of failures, and once more when saving works again.
    connect(&m_notebook, &Notebook::failing, this, [this](const QStringList& problems) {
        Q_EMIT happened({.kind = StoreEvent::Kind::SaveFailing, .details = problems});
    });
    connect(&m_notebook, &Notebook::worksAgain, this,
            [this] { Q_EMIT happened({.kind = StoreEvent::Kind::SavingWorksAgain}); });
    connect(&m_notebook, &Notebook::notice, this, [this](const QStringList& what) {
        Q_EMIT happened({.kind = StoreEvent::Kind::SaveNotices, .details = what});
    });
}

void StoreSync::setStoreDir(const QString& dir) {
    m_places.store = dir;
    m_notebook.setStoreDir(dir);
}

void StoreSync::load() {
    m_loading = true;
    auto loadingEnds = qScopeGuard([this] {
        m_loading = false;
        QuitSignals::setNothingUnsaved(!m_notebook.hasUnsaved());
    });
    if (!QFileInfo(m_places.store).isDir()) {
        waitForStore();
        return;
    }
    m_writeSoon = m_merger.load() == StoreMerger::Loaded::Identified;
}

void StoreSync::contentChanged(NoteId note) {
    m_notebook.contentChanged(note);
}

void StoreSync::forget(NoteId note) {
    m_notebook.forget(note);
}

void StoreSync::removeContentFile(int n) {
    // With the save that renumbers the notes after it, so that a crash between the two
    // cannot bring the deleted note back without its text.
    if (m_notebook.removeContentFile(n)) changed();
}

void StoreSync::saveNow() {
    // Written in the background as every save while the program runs, after the merge that
    // waits for a store still arriving: the user's click does not wait for the disk.
    if (m_autoSave) m_autoSave->flush();
}

void StoreSync::changed() {
    m_notebook.changed();
    QuitSignals::setNothingUnsaved(m_loading);  // what loading does is in the store already
    if (m_autoSave) m_autoSave->poke();
}

bool StoreSync::saveAll(QStringList* errors, Notebook::Scope scope) {
    if (m_waiting) {
        if (errors)
            errors->append(QDir::toNativeSeparators(m_places.store) +
                           QStringLiteral(": 帖子文件夹不在"));
        return false;
    }
    // Never over another machine's changes: they are merged first. Files that arrive between
    // the merge and the save stop it, and it is tried once more.
    for (int attempt = 0;; ++attempt) {
        mergeFromDisk(false);
        m_diskChangedDuringSave = false;
        const bool saved = m_notebook.save(m_merger.pages(), m_switches.values(), scope, errors);
        if (!m_diskChangedDuringSave || attempt == 2) return saved && !m_diskChangedDuringSave;
    }
}

void StoreSync::saveFinished(bool saved) {
    QuitSignals::setNothingUnsaved(!m_notebook.hasUnsaved());
    if (!m_autoSave) return;
    if (!saved)
        m_autoSave->retry();
    else if (m_notebook.hasUnsaved())
        m_autoSave->poke();  // changed while it was being written
}

void StoreSync::saveSoon(AutoSave::Delays delays) {
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
            m_notebook.saveInBackground(m_merger.pages(), m_switches.values());
            return true;  // how it went comes with the notebook's finished()
        },
        delays, this);
    if (std::exchange(m_writeSoon, false)) m_autoSave->poke();
    if (!m_notebook.writesRefused() && !m_watch) {
        m_watch = new StoreWatch(m_places.store, m_delays.settleMs, m_delays.longestMs, this);
        connect(m_watch, &StoreWatch::settled, this, &StoreSync::checkDisk);
    }
}

bool StoreSync::finish(QStringList* errors) {
    delete m_autoSave;
    m_autoSave = nullptr;
    return saveAll(errors);
}

void StoreSync::waitForStore() {
    m_waiting = true;
    const QString storeDir = m_places.store;
    Q_EMIT happened({.kind = StoreEvent::Kind::FolderMissing, .path = storeDir});
    // A mount gives no notice on its mount point: looked at every few seconds, only while
    // waiting.
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, timer, storeDir] {
        if (!QFileInfo(m_places.store).isDir()) return;
        timer->deleteLater();
        m_waiting = false;
        mergeFromDisk(false);
        Q_EMIT happened({.kind = StoreEvent::Kind::FolderBack, .path = storeDir});
        if (m_shelf.notes().isEmpty()) m_shelf.first();
        if (m_saveSoonOnceThere) saveSoon(*m_saveSoonOnceThere);
        if (m_watch) m_watch->arm();
    });
    timer->start(m_delays.storeFolderPollMs);
}

void StoreSync::checkDisk() {
    if (m_waiting || m_notebook.writesRefused()) return;
    if (m_notebook.saving()) {
        // The echo of that save, or another machine's files: told apart once it is done.
        m_recheck.start(m_delays.recheckMs);
        return;
    }
    // The merge first: a sync tool that kept the other machine's file puts ours in the
    // conflict copy, and only once the note shows theirs does that text count as missing.
    QStringList copies;
    if (!mergeFromDisk(true, &copies)) return;  // folded after it
    m_merger.foldConflictCopies(copies);
}

bool StoreSync::mergeFromDisk(bool patient, QStringList* conflictCopies) {
    if (m_waiting || m_notebook.writesRefused()) return false;
    switch (m_merger.merge(patient, conflictCopies)) {
        case StoreMerger::Merged::Yes:
            return true;
        case StoreMerger::Merged::Waiting:
            m_recheck.start(m_delays.recheckMs);
            return false;
        case StoreMerger::Merged::FolderGone:
            // Unmounted while running: nothing is saved into the bare mount point, and the
            // notes are merged with the store when it is back.
            m_saveSoonOnceThere = std::nullopt;
            waitForStore();
            return false;
        case StoreMerger::Merged::Unreadable:
            return false;  // tried again at the next change there
    }
    return false;
}
