// Loading the store onto the shelf, saving it back soon after changes and at the end, and
// another machine's changes taken in as they arrive: the store folder watched, the versions
// merged.
#include "notebook/storesync.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>
#include <QTextDocument>
#include <QTimer>

#include "model/programswitches.h"
#include "notebook/conflictcopies.h"
#include "notebook/storewatch.h"
#include "platform/clock.h"
#include "platform/quitsignals.h"

StoreSync::StoreSync(NoteShelf& shelf, ProgramSwitches& switches, Places places, SyncDelays delays,
                     QObject* parent)
    : QObject(parent),
      m_shelf(shelf),
      m_switches(switches),
      m_places(std::move(places)),
      m_notebook(m_places.store, m_places.snapshots, m_places.snapshotDays),
      m_delays(delays) {
    m_clock.start();
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
        say({.kind = StoreEvent::Kind::SaveFailing, .details = problems});
    });
    connect(&m_notebook, &Notebook::worksAgain, this,
            [this] { say({.kind = StoreEvent::Kind::SavingWorksAgain}); });
    connect(&m_notebook, &Notebook::notice, this, [this](const QStringList& what) {
        say({.kind = StoreEvent::Kind::SaveNotices, .details = what});
    });
}

void StoreSync::say(const StoreEvent& event) {
    Q_EMIT happened(event);
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
    const QString& storeDir = m_places.store;
    QStringList problems;
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
        say({.kind = StoreEvent::Kind::StoreUnreadable, .details = problems});
        return;
    }
    // Before any note is made, so that each new note follows the stored notes-on-top switch.
    m_switches.setValues(loaded.switches);
    if (loaded.firstStart) {
        m_notebook.loaded({}, false, {}, std::move(disk));
        m_shelf.first();  // saved soon, like every new note
        return;
    }
    QSet<NoteId> toWrite;
    QList<merge::StoredVersion> base;
    // What the window system says of each note shown is taken as it comes (the shelf settles);
    // a change from outside meanwhile (the window manager resizing a note) is kept.
    bool changedFromOutside = false;
    for (const store::StoredNote& stored : loaded.notes) {
        if (QuitSignals::pending()) {
            // Asked to end while loading: what is not loaded must not be saved over.
            m_notebook.refuseWrites(store::settingsFilePath(storeDir));
            return;
        }
        NoteId id = 0;
        const store::Content content = showStored(stored.note, stored.section, &problems, &id);
        // A file moved aside is written anew at the next save, from what the note shows; gone
        // by our own hand, it is no text still on its way from another machine.
        if (content.movedAside) {
            toWrite.insert(id);
            disk.contents.remove(stored.section);
        }
        m_notebook.stored(id, stored.section);
        base.append({stored.section, stored.note, content.hash});
        const bool changedBefore = m_notebook.takeChanged();
        m_shelf.settle();
        const bool changedNow = m_notebook.takeChanged();
        changedFromOutside = changedFromOutside || changedNow;
        if (changedNow || changedBefore) m_notebook.changed();
    }
    // What loading did is what the store holds already.
    const QStringList conflictCopies = disk.conflictCopies;
    // A note given its identity is written soon: other machines are to know it by it.
    m_identityToWrite = std::exchange(m_gaveIdentity, false);
    m_notebook.loaded(toWrite, changedFromOutside || m_identityToWrite, std::move(base),
                      std::move(disk));
    if (!problems.isEmpty()) say({.kind = StoreEvent::Kind::ReadProblems, .details = problems});
    foldConflictCopies(conflictCopies);
}

store::Content StoreSync::showStored(const Note& values, int section, QStringList* problems,
                                     NoteId* id, bool emptyWhenMissing, const QString& heading) {
    NoteChange change;
    change.fresh = true;
    change.values = values;
    if (values.created.isEmpty()) {
        // A note known by nothing across machines is given the time it was first read, as the
        // Windows program does, and it is written: read again, it is the same note.
        change.values->created = Clock::instance().now().time().toString();
        m_gaveIdentity = true;
    }
    store::Content content = store::readContent(m_places.store, section, problems);
    // A text not here (yet) shows as none after a merge; what loading cannot read keeps the
    // line a new note starts with.
    if (emptyWhenMissing || content.kind != store::Content::Kind::None)
        change.text = conflictcopies::noteText(content);
    change.heading = heading;
    QString why;
    *id = m_shelf.open(change, &why);
    if (!why.isEmpty())
        problems->append(store::contentFilePath(m_places.store, section) + QStringLiteral(": ") +
                         why);
    return content;
}

void StoreSync::contentChanged(NoteId note) {
    if (m_applying) return;  // the text the store holds
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
    if (m_autoSave) saveAll();
}

void StoreSync::changed() {
    m_notebook.changed();
    QuitSignals::setNothingUnsaved(m_loading);  // what loading does is in the store already
    if (m_autoSave) m_autoSave->poke();
}

QList<Notebook::Page> StoreSync::pages() const {
    QList<Notebook::Page> pages;
    for (const NoteShelf::Shown& shown : m_shelf.notes())
        pages.append({shown.id, shown.note, shown.text});
    return pages;
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
        const bool saved = m_notebook.save(pages(), m_switches.values(), scope, errors);
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
            m_notebook.saveInBackground(pages(), m_switches.values());
            return true;  // how it went comes with the notebook's finished()
        },
        delays, this);
    if (std::exchange(m_identityToWrite, false)) m_autoSave->poke();
    if (!m_notebook.writesRefused() && !m_watch) {
        m_watch = new StoreWatch(m_places.store, m_delays.settleMs, this);
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
    say({.kind = StoreEvent::Kind::FolderMissing, .path = storeDir});
    // A mount gives no notice on its mount point: looked at every few seconds, only while
    // waiting.
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, timer, storeDir] {
        if (!QFileInfo(m_places.store).isDir()) return;
        timer->deleteLater();
        m_waiting = false;
        mergeFromDisk(false);
        say({.kind = StoreEvent::Kind::FolderBack, .path = storeDir});
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
    foldConflictCopies(copies);
}

bool StoreSync::mergeFromDisk(bool patient, QStringList* conflictCopies) {
    if (m_waiting || m_notebook.writesRefused()) return false;
    store::DiskState disk;
    const bool unchanged = m_notebook.diskUnchanged(&disk);
    if (conflictCopies) *conflictCopies = disk.conflictCopies;
    if (unchanged) return true;
    const QString& storeDir = m_places.store;
    if (!QFileInfo(storeDir).isDir()) {
        // Unmounted while running: nothing is saved into the bare mount point, and the notes
        // are merged with the store when it is back.
        m_saveSoonOnceThere = std::nullopt;
        waitForStore();
        return false;
    }
    if (!disk.settings.exists) {
        // A store emptied or not all there: no reason to close a note. Everything is
        // written again. The notes stay known as the store's: a settings file that comes back
        // (a sync client deletes a file before it writes it anew) brings no note twice.
        QSet<NoteId> all;
        for (const NoteShelf::Shown& shown : m_shelf.notes())
            all.insert(shown.id);
        m_notebook.settingsFileGone(std::move(disk), all);
        changed();
        say({.kind = StoreEvent::Kind::SettingsFileGone,
             .path = store::settingsFilePath(storeDir)});
        return true;
    }
    QStringList problems;
    const store::LoadedStore theirs = store::loadStore(storeDir, m_switches.values(), &problems);
    if (theirs.unreadable) return false;  // tried again at the next change there
    // Still arriving: a content file the settings file names, or one no settings file lists
    // (another machine's note whose settings file is still to come; the next save here may give
    // its number to a note of ours).
    QSet<int> listed;
    for (const store::StoredNote& stored : theirs.notes)
        listed.insert(stored.section);
    merge::Arrivals arrivals =
        merge::arrivals(listed, disk.contents, m_notebook.baseDisk().contents, m_missedSince,
                        m_clock.elapsed(), m_delays.arrivingMs);
    m_missedSince = std::move(arrivals.missedSince);
    if (arrivals.waiting && patient) {
        m_recheck.start(m_delays.recheckMs);
        return false;
    }
    QList<merge::StoredVersion> versions = m_notebook.versionsOf(theirs.notes, disk);
    const merge::Plan plan = m_notebook.planMerge(versions, pages());
    const QHash<int, store::FileStamp> stamps = disk.contents;
    applyMerge(plan, std::move(versions), std::move(disk), &problems);
    // Its settings file did not come (in time): the text is kept as a note before a save here
    // writes over it.
    for (int section : arrivals.unlisted) {
        if (conflictcopies::keepUnlisted(m_shelf, m_places.store, section,
                                         stamps.value(section).modifiedMs))
            say({.kind = StoreEvent::Kind::TextWithoutSettings});
    }
    if (!problems.isEmpty()) say({.kind = StoreEvent::Kind::ReadProblems, .details = problems});
    return true;
}

void StoreSync::applyMerge(const merge::Plan& plan, QList<merge::StoredVersion> theirs,
                           store::DiskState disk, QStringList* problems) {
    const QString& storeDir = m_places.store;
    m_applying = true;
    const bool changedBefore = m_notebook.takeChanged();
    QHash<NoteId, int> storedAs;
    QSet<NoteId> toWrite;
    int otherVersions = 0;
    for (const merge::Plan::Update& update : plan.updates) {
        storedAs.insert(update.id, update.section);
        NoteChange change;
        change.values = update.note;
        if (update.takeText) {
            const store::Content content = store::readContent(storeDir, update.section, problems);
            if (content.kind != store::Content::Kind::None)
                change.text = conflictcopies::noteText(content);
        }
        if (change.values || change.text) m_shelf.apply(update.id, change);
    }
    QHash<NoteId, QString> shownTexts;
    for (const NoteShelf::Shown& shown : m_shelf.notes())
        shownTexts.insert(shown.id, shown.text
                                        ? conflictcopies::comparable(shown.text->toPlainText())
                                        : QString());
    for (const merge::Plan::Add& add : plan.added) {
        NoteId id = 0;
        if (!add.otherVersionOf) {
            showStored(add.note, add.section, problems, &id, true);
            storedAs.insert(id, add.section);
            continue;
        }
        // Both machines made the same change: one note is enough.
        const store::Content content = store::readContent(storeDir, add.section, problems);
        const QString text = content.kind == store::Content::Kind::Rtf
                                 ? conflictcopies::plainTextOf(content.rtf)
                                 : content.text;
        if (shownTexts.value(add.otherVersionOf) == conflictcopies::comparable(text)) continue;
        // Beside the note that keeps this machine's version, as a note of its own.
        Note values = add.note;
        values.created = timetext::creationTime(Clock::instance().now());
        values.left += 450;
        values.top += 450;
        const QDateTime when =
            QDateTime::fromMSecsSinceEpoch(disk.contents.value(add.section).modifiedMs);
        showStored(values, add.section, problems, &id, true,
                   conflictcopies::otherVersionHeading(when));
        toWrite.insert(id);
        ++otherVersions;
    }
    for (NoteId id : plan.closed)
        m_shelf.close(id);
    for (NoteId id : plan.orphaned)
        toWrite.insert(id);
    // A note whose file never came is written from what it shows, not linked from nothing.
    for (auto it = storedAs.cbegin(); it != storedAs.cend(); ++it) {
        if (!disk.contents.contains(it.value())) toWrite.insert(it.key());
    }
    m_notebook.rebase(std::move(theirs), std::move(disk), storedAs, toWrite, plan.removals);
    m_notebook.takeChanged();
    m_applying = false;
    if (changedBefore || !toWrite.isEmpty() || !plan.removals.isEmpty() ||
        std::exchange(m_gaveIdentity, false))
        changed();
    if (otherVersions > 0)
        say({.kind = StoreEvent::Kind::OtherVersionsKept, .count = otherVersions});
}

void StoreSync::foldConflictCopies(const QStringList& copies) {
    if (copies.isEmpty()) return;
    const conflictcopies::Folded folded = conflictcopies::fold(
        m_shelf, {m_places.store, m_places.conflicts}, m_switches.values(), copies);
    if (folded.moved == 0 && folded.restored == 0) return;
    say({.kind = StoreEvent::Kind::ConflictCopiesFolded,
         .path = folded.keptIn,
         .count = folded.moved,
         .restored = folded.restored,
         .linksOut = folded.linksOut});
}
