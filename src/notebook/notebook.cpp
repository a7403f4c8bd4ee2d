#include "notebook/notebook.h"

#include <QTextDocument>
#include <QtConcurrent/QtConcurrentRun>
#include <cstdio>
#include <memory>
#include <utility>

#include "platform/clock.h"
#include "store/snapshots.h"

Notebook::Notebook(QString storeDir, QString snapshotsDir, int snapshotDays, QObject* parent)
    : QObject(parent),
      m_storeDir(std::move(storeDir)),
      m_snapshotsDir(std::move(snapshotsDir)),
      m_snapshotDays(snapshotDays) {
    connect(&m_watcher, &QFutureWatcher<Outcome>::finished, this, [this] {
        if (m_inFlight.active) conclude(m_watcher.result());
    });
}

Notebook::~Notebook() {
    // The save under way finishes: a store is never left to a thread that outlives its program.
    m_watcher.waitForFinished();
}

void Notebook::loaded(const QSet<const QObject*>& toWrite, bool changed) {
    m_contentChanged = toWrite;
    m_changed = !toWrite.isEmpty() || changed;
}

void Notebook::forget(const QObject* key) {
    m_contentChanged.remove(key);
    m_storedAs.remove(key);
    // A later window may get the same address: it must not inherit this note's file.
    if (const qsizetype i = m_inFlight.order.indexOf(key); i >= 0) m_inFlight.order[i] = nullptr;
    m_inFlight.contentTaken.remove(key);
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

int Notebook::storedNumber(const QObject* key) {
    waitForSave();
    return m_storedAs.value(key);
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
    conclude(outcome);
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
        const bool changed = m_contentChanged.remove(page.key);
        if (changed) m_inFlight.contentTaken.insert(page.key);
        // Only a text that no file holds is taken: the others are linked or copied there.
        const int storedAs = changed || scope == Scope::All ? 0 : m_storedAs.value(page.key);
        std::shared_ptr<const rtf::Snapshot> content;
        if (storedAs == 0 && page.content)
            content = std::make_shared<const rtf::Snapshot>(rtf::capture(*page.content));
        notes.append({page.note, std::move(content), storedAs});
        m_inFlight.order.append(page.key);
    }
    m_changed = false;
    // The store as it stood before the first change of the day. Tried once a day: where it
    // cannot be made, every save would copy the store in vain and say so again.
    const QDate today = Clock::instance().now().date();
    const bool snapshot = std::exchange(m_snapshotDay, today) != today;
    return
        [storeDir = m_storeDir, snapshotsDir = m_snapshotsDir, days = m_snapshotDays, snapshot,
         today, switches, notes = std::move(notes), removals = m_inFlight.removalsTaken.values()] {
            Outcome outcome;
            QString error;
            if (snapshot && !store::snapshotStore(storeDir, snapshotsDir, today, days, &error))
                std::fprintf(stderr, "jotpin: %s\n", qPrintable(error));
            outcome.saved = store::saveStore(storeDir, switches, notes, &outcome.problems, removals,
                                             &outcome.committed);
            return outcome;
        };
}

void Notebook::conclude(const Outcome& outcome) {
    const InFlight taken = std::exchange(m_inFlight, {});
    if (outcome.committed) {
        for (int i = 0; i < taken.order.size(); ++i) {
            if (taken.order[i]) m_storedAs.insert(taken.order[i], i + 1);
        }
    }
    if (!outcome.saved) {
        // What was to be written waits for the next save. Some files of a store that did
        // change are missing from it: every text is written again.
        m_contentChanged.unite(taken.contentTaken);
        if (outcome.committed) {
            for (const QObject* key : taken.order) {
                if (key) m_contentChanged.insert(key);
            }
        } else {
            m_removals.unite(taken.removalsTaken);
        }
        m_changed = true;
    }
    if (!outcome.saved && !m_failing)
        Q_EMIT failing(outcome.problems);
    else if (outcome.saved && m_failing)
        Q_EMIT worksAgain();
    m_failing = !outcome.saved;
    Q_EMIT finished(outcome.saved);
}

void Notebook::waitForSave() {
    if (!m_inFlight.active) return;
    m_watcher.waitForFinished();
    conclude(m_watcher.result());
}
