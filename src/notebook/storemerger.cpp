// Reading the store onto the shelf and merging the versions other machines leave there.
#include "notebook/storemerger.h"

#include <QFileInfo>
#include <QSet>
#include <QTextDocument>

#include "model/noteuid.h"
#include "model/programswitches.h"
#include "notebook/conflictcopies.h"
#include "platform/clock.h"
#include "platform/quitsignals.h"

StoreMerger::StoreMerger(NoteShelf& shelf, ProgramSwitches& switches, Notebook& notebook,
                         const StorePlaces& places, int arrivingMs, QObject* parent)
    : QObject(parent),
      m_shelf(shelf),
      m_switches(switches),
      m_notebook(notebook),
      m_places(places),
      m_arrivingMs(arrivingMs) {
    m_clock.start();
}

QList<Notebook::Page> StoreMerger::pages() const {
    QList<Notebook::Page> pages;
    for (const NoteShelf::Shown& shown : m_shelf.notes())
        pages.append({shown.id, shown.note, shown.text});
    return pages;
}

StoreMerger::Loaded StoreMerger::load() {
    const QString& storeDir = m_places.store;
    QStringList problems;
    // Taken first: a file that arrives while the notes load is merged after.
    store::DiskState disk = store::readDiskState(storeDir);
    const store::LoadedStore loaded =
        store::loadStore(storeDir, m_switches.values(), &problems, m_places.conflicts);
    if (loaded.unreadable) {
        // Whatever is in that file stays there: nothing is written over a store never read.
        m_notebook.refuseWrites(store::settingsFilePath(storeDir));
        Q_EMIT happened({.kind = StoreEvent::Kind::StoreUnreadable, .details = problems});
        return Loaded::Unreadable;
    }
    // Before any note is made, so that each new note follows the stored notes-on-top switch.
    m_switches.setValues(loaded.switches);
    if (loaded.firstStart) {
        m_notebook.loaded({}, false, {}, std::move(disk));
        m_shelf.first();  // saved soon, like every new note
        return Loaded::FirstStart;
    }
    QSet<NoteId> toWrite;
    QList<merge::StoredVersion> base;
    for (const store::StoredNote& stored : loaded.notes) {
        if (QuitSignals::pending()) {
            // Asked to end while loading: what is not loaded must not be saved over.
            m_notebook.refuseWrites(store::settingsFilePath(storeDir));
            return Loaded::Interrupted;
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
        // What the window system says of each note shown is taken as it comes; a change from
        // outside meanwhile (the window manager resizing a note) is a change to save.
        m_shelf.settle();
    }
    // A note given its identity is written soon: other machines are to know it by it.
    const bool identified = std::exchange(m_gaveIdentity, false);
    const QStringList conflictCopies = disk.conflictCopies;
    m_notebook.loaded(toWrite, m_notebook.takeChanged() || identified, std::move(base),
                      std::move(disk));
    if (!problems.isEmpty())
        Q_EMIT happened({.kind = StoreEvent::Kind::ReadProblems, .details = problems});
    foldConflictCopies(conflictCopies);
    return identified ? Loaded::Identified : Loaded::Notes;
}

store::Content StoreMerger::showStored(const Note& values, int section, QStringList* problems,
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

StoreMerger::Merged StoreMerger::merge(bool patient, QStringList* conflictCopies) {
    store::DiskState disk;
    const bool unchanged = m_notebook.diskUnchanged(&disk);
    if (conflictCopies) *conflictCopies = disk.conflictCopies;
    if (unchanged) return Merged::Yes;
    const QString& storeDir = m_places.store;
    if (!QFileInfo(storeDir).isDir()) return Merged::FolderGone;
    if (!disk.settings.exists) {
        // A store emptied or not all there: no reason to close a note. Everything is
        // written again. The notes stay known as the store's: a settings file that comes back
        // (a sync client deletes a file before it writes it anew) brings no note twice.
        QSet<NoteId> all;
        for (const NoteShelf::Shown& shown : m_shelf.notes())
            all.insert(shown.id);
        m_notebook.settingsFileGone(std::move(disk), all);
        Q_EMIT unsaved();
        Q_EMIT happened({.kind = StoreEvent::Kind::SettingsFileGone,
                         .path = store::settingsFilePath(storeDir)});
        return Merged::Yes;
    }
    QStringList problems;
    const store::LoadedStore theirs =
        store::loadStore(storeDir, m_switches.values(), &problems, m_places.conflicts);
    if (theirs.unreadable) return Merged::Unreadable;
    // Still arriving: a content file the settings file names, or one no settings file lists
    // (another machine's note whose settings file is still to come; the next save here may give
    // its number to a note of ours).
    QSet<int> listed;
    for (const store::StoredNote& stored : theirs.notes)
        listed.insert(stored.section);
    merge::Arrivals arrivals =
        merge::arrivals(listed, disk.contents, m_notebook.baseDisk().contents, m_missedSince,
                        m_clock.elapsed(), m_arrivingMs);
    m_missedSince = std::move(arrivals.missedSince);
    if (arrivals.waiting && patient) return Merged::Waiting;
    QList<merge::StoredVersion> versions = m_notebook.versionsOf(theirs.notes, disk);
    const merge::Plan plan = m_notebook.planMerge(versions, pages());
    const QHash<int, store::FileStamp> stamps = disk.contents;
    apply(plan, std::move(versions), std::move(disk), &problems);
    // Its settings file did not come (in time): the text is kept as a note before a save here
    // writes over it.
    for (int section : arrivals.unlisted) {
        if (const NoteId kept = conflictcopies::keepUnlisted(m_shelf, m_places.store, section,
                                                             stamps.value(section).modifiedMs)) {
            keep({kept});
            Q_EMIT happened({.kind = StoreEvent::Kind::TextWithoutSettings});
        }
    }
    if (!problems.isEmpty())
        Q_EMIT happened({.kind = StoreEvent::Kind::ReadProblems, .details = problems});
    return Merged::Yes;
}

void StoreMerger::apply(const merge::Plan& plan, QList<merge::StoredVersion> theirs,
                        store::DiskState disk, QStringList* problems) {
    const QString& storeDir = m_places.store;
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
        // Every machine that keeps this version apart knows it by the same identity.
        values.uid = noteuid::derived(
            QStringLiteral("other version %1 %2").arg(add.note.uid).arg(add.contentHash).toUtf8());
        values.left += 450;
        values.top += 450;
        const QDateTime when =
            QDateTime::fromMSecsSinceEpoch(disk.contents.value(add.section).modifiedMs);
        showStored(values, add.section, problems, &id, true,
                   conflictcopies::otherVersionHeading(when));
        toWrite.insert(id);
        ++otherVersions;
    }
    for (NoteId id : plan.closed) {
        m_shelf.close(id);
        m_notebook.forget(id);
    }
    for (NoteId id : plan.orphaned)
        toWrite.insert(id);
    // A note whose file never came is written from what it shows, not linked from nothing.
    for (auto it = storedAs.cbegin(); it != storedAs.cend(); ++it) {
        if (!disk.contents.contains(it.value())) toWrite.insert(it.key());
    }
    m_notebook.rebase(std::move(theirs), std::move(disk), storedAs, toWrite, plan.removals);
    if (!toWrite.isEmpty() || !plan.removals.isEmpty() || std::exchange(m_gaveIdentity, false))
        Q_EMIT unsaved();
    if (otherVersions > 0)
        Q_EMIT happened({.kind = StoreEvent::Kind::OtherVersionsKept, .count = otherVersions});
}

void StoreMerger::keep(const QList<NoteId>& notes) {
    for (NoteId id : notes)
        m_notebook.contentChanged(id);
    if (!notes.isEmpty()) Q_EMIT unsaved();
}

void StoreMerger::foldConflictCopies(const QStringList& copies) {
    if (copies.isEmpty()) return;
    const conflictcopies::Folded folded = conflictcopies::fold(
        m_shelf, {m_places.store, m_places.conflicts}, m_switches.values(), copies);
    keep(folded.restored);
    if (folded.moved == 0 && folded.restored.isEmpty()) return;
    Q_EMIT happened({.kind = StoreEvent::Kind::ConflictCopiesFolded,
                     .path = folded.keptIn,
                     .count = folded.moved,
                     .restored = int(folded.restored.size()),
                     .linksOut = folded.linksOut});
}
