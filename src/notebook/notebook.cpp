#include "notebook/notebook.h"

#include <QTextDocument>
#include <QtConcurrent/QtConcurrentRun>
#include <cstdio>
#include <memory>
#include <utility>

#include "platform/clock.h"
#include "platform/files.h"
#include "store/snapshots.h"

Notebook::Notebook(QString storeDir, QString snapshotsDir, int snapshotDays, QString conflictsDir,
                   QObject* parent)
    : QObject(parent),
      m_storeDir(std::move(storeDir)),
      m_snapshotsDir(std::move(snapshotsDir)),
      m_conflictsDir(std::move(conflictsDir)),
      m_snapshotDays(snapshotDays) {
    connect(&m_watcher, &QFutureWatcher<Outcome>::finished, this, [this] {
        if (m_inFlight.active) conclude(m_watcher.result(), Tell::Now);
    });
}

Notebook::~Notebook() {
    // The save under way finishes: a store is never left to a thread that outlives its program.
    m_watcher.waitForFinished();
}

void Notebook::loaded(const QSet<NoteId>& toWrite, bool changed, QList<merge::StoredVersion> base,
                      store::DiskState disk) {
    m_contentChanged = toWrite;
    m_changed = !toWrite.isEmpty() || changed;
    m_base = std::move(base);
    m_baseDisk = std::move(disk);
}

bool Notebook::diskUnchanged(store::DiskState* now) {
    waitForSave();
    store::DiskState state = store::readDiskState(m_storeDir);
    const bool same = state.sameFiles(m_baseDisk);
    if (now) *now = std::move(state);
    return same;
}

QList<merge::StoredVersion> Notebook::versionsOf(const QList<store::StoredNote>& notes,
                                                 const store::DiskState& disk) const {
    QHash<store::FileStamp, size_t> known;
    for (const merge::StoredVersion& was : m_base)
        known.insert(m_baseDisk.contents.value(was.section), was.contentHash);
    QList<merge::StoredVersion> versions;
    versions.reserve(notes.size());
    for (const store::StoredNote& stored : notes) {
        const store::FileStamp stamp = disk.contents.value(stored.section);
        size_t hash = 0;
        if (auto it = known.constFind(stamp); it != known.cend() && stamp.exists) {
            hash = it.value();
        } else if (const QString path = store::contentFilePath(m_storeDir, stored.section);
                   stamp.exists && files::staysWithin(path, m_storeDir)) {
            QByteArray bytes;
            QString error;
            if (files::readRegular(path, qint64(1) << 28, &bytes, &error) == files::ReadResult::Ok)
                hash = store::contentHash(bytes);
        }
        versions.append({stored.section, stored.note, hash});
    }
    return versions;
}

merge::Plan Notebook::planMerge(const QList<merge::StoredVersion>& theirs,
                                const QList<Page>& pages) {
    waitForSave();
    QHash<int, int> baseOfSection;
    for (int i = 0; i < m_base.size(); ++i)
        baseOfSection.insert(m_base[i].section, i);
    QList<merge::OurNote> ours;
    for (const Page& page : pages) {
        const int section = m_storedAs.value(page.id);
        const int b = section > 0 ? baseOfSection.value(section, -1) : -1;
        std::optional<Note> values;
        if (b >= 0) {
            // Its identity is no value changed here: the base may know it by another (the note
            // was known by its creation time when its section had lost its identity).
            if (Note stored = store::asStored(page.note);
                !merge::sameValues(stored, m_base[b].note))
                values = std::move(stored);
        }
        ours.append({page.id, b, std::move(values), b < 0 || m_contentChanged.contains(page.id)});
    }
    return merge::plan(m_base, theirs, ours);
}

void Notebook::rebase(QList<merge::StoredVersion> theirs, store::DiskState disk,
                      const QHash<NoteId, int>& storedAs, const QSet<NoteId>& toWrite,
                      const QList<int>& removals) {
    m_base = std::move(theirs);
    m_baseDisk = std::move(disk);
    m_storedAs = storedAs;
    // Numbers of the old base mean other files now.
    m_removals = QSet<int>(removals.cbegin(), removals.cend());
    m_contentChanged.unite(toWrite);
    if (!toWrite.isEmpty() || !removals.isEmpty()) m_changed = true;
}

void Notebook::settingsFileGone(store::DiskState disk, const QSet<NoteId>& all) {
    // A content file another machine wrote since is not written over: its settings file (a
    // sync tool deletes one before it writes the new one) says whose it is. Saves wait for it.
    for (auto it = disk.contents.begin(); it != disk.contents.end(); ++it)
        it.value() = m_baseDisk.contents.value(it.key());
    m_baseDisk = std::move(disk);
    m_contentChanged.unite(all);
    m_changed = true;
}

void Notebook::forget(NoteId id) {
    m_contentChanged.remove(id);
    m_storedAs.remove(id);
    // Closed during a save: it is stored nowhere after it.
    if (const qsizetype i = m_inFlight.order.indexOf(id); i >= 0) m_inFlight.order[i] = 0;
    m_inFlight.contentTaken.remove(id);
}

bool Notebook::removeContentFile(int n) {
    if (n <= 0 || writesRefused()) return false;
    waitForSave();  // the numbers to check are those of the last save
    for (auto it = m_storedAs.cbegin(); it != m_storedAs.cend(); ++it) {
        if (it.value() == n) return false;  // an open note is stored there
    }
    m_removals.insert(n);
    return true;
}

int Notebook::storedNumber(NoteId id) {
    waitForSave();
    return m_storedAs.value(id);
}

bool Notebook::save(const QList<Page>& pages, const Switches& switches, Scope scope,
                    QStringList* errors) {
    waitForSave();
    if (scope == Scope::Changed && !m_changed) return true;
    Outcome outcome;
    if (writesRefused())
        outcome.problems.append(m_refused + QStringLiteral(": 没有读取成功，不会被覆盖"));
    else
        outcome = prepare(pages, switches, scope)();
    if (errors) *errors += outcome.problems;
    conclude(outcome, Tell::Now);
    return outcome.saved;
}

bool Notebook::saveInBackground(const QList<Page>& pages, const Switches& switches) {
    if (m_inFlight.active || !m_changed) return false;
    if (writesRefused()) return save(pages, switches);  // only tells why not
    m_watcher.setFuture(QtConcurrent::run(prepare(pages, switches, Scope::Changed)));
    return true;
}

std::function<Notebook::Outcome()> Notebook::prepare(const QList<Page>& pages,
                                                     const Switches& switches, Scope scope) {
    m_inFlight = InFlight{true, {}, {}, std::exchange(m_removals, {})};
    QList<store::NoteToSave> notes;
    notes.reserve(pages.size());
    for (const Page& page : pages) {
        const bool changed = m_contentChanged.remove(page.id);
        if (changed) m_inFlight.contentTaken.insert(page.id);
        // Only a text that no file holds is taken: the others are linked or copied there.
        const int storedAs = changed || scope == Scope::All ? 0 : m_storedAs.value(page.id);
        std::shared_ptr<const rtf::Snapshot> content;
        if (storedAs == 0 && page.content)
            content = std::make_shared<const rtf::Snapshot>(rtf::capture(*page.content));
        notes.append({page.note, std::move(content), storedAs});
        m_inFlight.order.append(page.id);
    }
    m_changed = false;
    // The store as it stood before the first change of the day. Tried once a day: where it
    // cannot be made, every save would copy the store in vain and say so again.
    const QDate today = Clock::instance().now().date();
    const bool snapshot = std::exchange(m_snapshotDay, today) != today;
    QHash<int, size_t> hashes;  // of the files the base knows, by number
    for (const merge::StoredVersion& was : m_base)
        hashes.insert(was.section, was.contentHash);
    return [storeDir = m_storeDir, snapshotsDir = m_snapshotsDir, conflictsDir = m_conflictsDir,
            days = m_snapshotDays, snapshot, today, switches, notes = std::move(notes),
            removals = m_inFlight.removalsTaken.values(), expected = m_baseDisk,
            hashes = std::move(hashes)] {
        Outcome outcome;
        // Another machine's files arrived since: they are merged first, never saved over.
        if (!store::readDiskState(storeDir).sameFiles(expected)) {
            outcome.changedOnDisk = true;
            return outcome;
        }
        QString error;
        if (snapshot && !store::snapshotStore(storeDir, snapshotsDir, today, days, &error))
            std::fprintf(stderr, "jotpin: %s\n", qPrintable(error));
        QList<size_t> written;
        store::DiskState disk = expected;
        outcome.saved = store::saveStore(storeDir, switches, notes, &outcome.problems, removals,
                                         &outcome.committed, &written, &disk, conflictsDir);
        if (outcome.committed) {
            for (int i = 0; i < notes.size(); ++i) {
                const size_t hash = written[i] ? written[i] : hashes.value(notes[i].storedAs);
                outcome.base.append({i + 1, store::asStored(notes[i].note), hash});
            }
            // Only what this save wrote: a file that landed meanwhile is still to be merged.
            // A save that did not finish is looked at again whole.
            outcome.disk = outcome.saved ? std::move(disk) : store::readDiskState(storeDir);
        }
        return outcome;
    };
}

void Notebook::conclude(const Outcome& outcome, Tell tell) {
    const InFlight taken = std::exchange(m_inFlight, {});
    QList<std::function<void()>> told;
    if (outcome.changedOnDisk) {
        // Nothing was written: everything waits for the save after the merge.
        m_contentChanged.unite(taken.contentTaken);
        m_removals.unite(taken.removalsTaken);
        m_changed = true;
        told.append([this] { Q_EMIT changedOnDisk(); });
        deliver(std::move(told), tell);
        return;
    }
    if (outcome.committed) {
        m_base = outcome.base;
        m_baseDisk = outcome.disk;
        for (int i = 0; i < taken.order.size(); ++i) {
            if (taken.order[i]) m_storedAs.insert(taken.order[i], i + 1);
        }
    }
    if (!outcome.saved) {
        // What was to be written waits for the next save. Some files of a store that did
        // change are missing from it: every text is written again.
        m_contentChanged.unite(taken.contentTaken);
        if (outcome.committed) {
            for (NoteId id : taken.order) {
                if (id) m_contentChanged.insert(id);
            }
        } else {
            m_removals.unite(taken.removalsTaken);
        }
        m_changed = true;
    }
    if (!outcome.saved && !m_failing)
        told.append([this, problems = outcome.problems] { Q_EMIT failing(problems); });
    else if (outcome.saved && m_failing)
        told.append([this] { Q_EMIT worksAgain(); });
    if (outcome.saved && !outcome.problems.isEmpty())
        told.append([this, problems = outcome.problems] { Q_EMIT notice(problems); });
    m_failing = !outcome.saved;
    told.append([this, saved = outcome.saved] { Q_EMIT finished(saved); });
    deliver(std::move(told), tell);
}

void Notebook::deliver(QList<std::function<void()>> told, Tell tell) {
    if (tell == Tell::Now) {
        for (const auto& signal : told)
            signal();
        return;
    }
    // A save concluded inside a query (whether the disk changed, which file holds a note) is
    // told once that call is over: a listener that merges or saves again must not run inside it.
    QMetaObject::invokeMethod(
        this,
        [told = std::move(told)] {
            for (const auto& signal : told)
                signal();
        },
        Qt::QueuedConnection);
}

void Notebook::waitForSave() {
    if (!m_inFlight.active) return;
    m_watcher.waitForFinished();
    conclude(m_watcher.result(), Tell::Later);
}
