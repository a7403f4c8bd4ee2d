// Loading the store onto the shelf and saving it back: the notebook below, saving soon after
// changes, and what the user hears of it.
#include "notebook/storesync.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>

#include "model/programswitches.h"
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
        say(QStringLiteral("帖子没有保存：\n") + problems.join(u'\n'));
    });
    connect(&m_notebook, &Notebook::worksAgain, this,
            [this] { say(QStringLiteral("帖子又能保存了。")); });
    connect(&m_notebook, &Notebook::notice, this,
            [this](const QStringList& what) { say(what.join(u'\n')); });
}

void StoreSync::say(const QString& text) {
    Q_EMIT tell(text);
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
        say(QStringLiteral(
                "无法读取帖子文件：%1\n为了不覆盖其中的帖子，Jotpin 这次不会保存任何改动。")
                .arg(problems.join(u'\n')));
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
        // A file moved aside is written anew at the next save, from what the note shows.
        if (content.movedAside) toWrite.insert(id);
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
    if (!problems.isEmpty()) say(QStringLiteral("读取帖子时出了问题：\n") + problems.join(u'\n'));
    if (!conflictCopies.isEmpty()) foldConflictCopies(conflictCopies);
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
    if (emptyWhenMissing) change.text = NoteText{};
    if (content.kind == store::Content::Kind::Rtf)
        change.text = NoteText{NoteText::Kind::Rtf, content.rtf, {}};
    else if (content.kind == store::Content::Kind::Text)
        change.text = NoteText{NoteText::Kind::Plain, {}, content.text};
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
