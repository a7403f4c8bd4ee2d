#pragma once
// Two or three machines that share a store through a sync tool, in one process and on one fake
// clock: a schedule of user actions and file deliveries drawn from a seed, then quiet, then the
// checks that must hold whatever the order. The same seed gives the same schedule.

#include <QDateTime>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTextDocument>
#include <memory>
#include <random>
#include <vector>

#include "model/programswitches.h"
#include "notebook/storesync.h"
#include "platform/clock.h"

namespace syncsim {

class SimClock : public Clock {
public:
    QDateTime now() const override { return m_at; }
    void set(const QDateTime& at) { m_at = at; }
    void advance(int seconds) { m_at = m_at.addSecs(seconds); }

private:
    QDateTime m_at;
};

// Notes as plain values. Like the app's windows, a note made or closed tells the store.
class ValueShelf final : public NoteShelf {
public:
    struct Item {
        NoteId id;
        Note note;
        std::unique_ptr<QTextDocument> text;
    };
    QList<Shown> notes() const override;
    NoteId open(const NoteChange& change, QString* problem) override;
    void apply(NoteId id, const NoteChange& change) override;
    void close(NoteId id) override;
    void first() override;
    Item* find(NoteId id);

    std::vector<Item> items;
    StoreSync* sync = nullptr;
};

// One machine's program and store folder.
class Machine {
public:
    Machine(QString store, StoreSync::Places places) : m_places(std::move(places)) {
        m_places.store = std::move(store);
    }
    ~Machine() { crash(); }
    const QString& store() const { return m_places.store; }
    bool running() const { return m_sync != nullptr; }
    ValueShelf& shelf() { return *m_shelf; }

    void start();  // a new program: the store loaded
    void crash();  // gone without saving
    void createNote();
    // The user's actions on the note at `index`; `word` is typed at its end.
    void type(int index, const QString& word);
    QStringList deleteNote(int index);  // gives the words the note held
    void move(int index, int dx, int dy);
    void recolour(int index, const QColor& colour);
    void toggleLock(int index);
    bool save();
    void merge();

    QSet<QString> unsaved;  // words typed since the last save that worked

private:
    void changed(NoteId id, bool content);

    StoreSync::Places m_places;
    ProgramSwitches m_switches;
    std::unique_ptr<ValueShelf> m_shelf;
    std::unique_ptr<StoreSync> m_sync;
};

// Keeps folders in step as Syncthing, Nextcloud or Dropbox do: per file, the version last
// synced; a file changed on a machine goes up, a newer version comes down by rename; where both
// sides changed a file, one is kept and the other left beside it as a conflict copy.
class SyncTool {
public:
    enum class Kind { Syncthing, Nextcloud, Dropbox };
    SyncTool(QStringList folders, QString tempDir, Kind kind, const Clock& clock);
    // Carries one file change still to be carried, chosen by `rng`; false when there is none.
    bool step(std::mt19937_64& rng, QString* what = nullptr);
    // Carries everything, in an order chosen by `rng`; the number of changes carried.
    int deliverAll(std::mt19937_64& rng, QStringList* log = nullptr);

private:
    struct Version {
        bool exists = false;
        QByteArray bytes;
        quint64 serial = 0;
    };
    struct Pending {
        int folder;
        QString path;
    };
    QList<Pending> pending() const;
    QString carry(int folder, const QString& path, std::mt19937_64& rng);
    void write(int folder, const QString& path, const QByteArray& bytes);
    QString conflictName(int folder, const QString& path) const;
    static Version local(const QString& file);

    QStringList m_folders;
    QString m_temp;
    Kind m_kind;
    const Clock& m_clock;
    quint64 m_serial = 0;
    QMap<QString, Version> m_server;
    std::vector<QMap<QString, Version>> m_known;    // per folder
    std::vector<QMap<QString, Version>> m_writing;  // deleted, the new version still to come
};

// How "nothing lost" fails when the word's note was deleted on a machine that had not seen it.
inline const QString kLostToDeletion =
    QStringLiteral("nothing lost (its note deleted where it was not seen): ");

struct Outcome {
    int steps = 0;
    QStringList violations;  // each names the check that failed
    QStringList log;         // what the schedule did, step by step
};

// One schedule from `seed`, in folders under `root` (emptied first).
Outcome run(quint64 seed, const QString& root);

// A folder for the schedules: in memory where /dev/shm is, so fsyncs cost nothing.
QString scratchParent();

}  // namespace syncsim
