#include "syncsim.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTextCursor>
#include <cstdio>

#include "model/noteuid.h"
#include "rtf/rtf.h"
#include "store/diskstate.h"

namespace syncsim {
namespace {

const QString kOtherVersion = QStringLiteral("另一台电脑的版本");

// The words typed: "w" and a number, each typed once in a run.
QSet<QString> wordsIn(const QString& text) {
    static const QRegularExpression word(QStringLiteral(R"(\bw\d+\b)"));
    QSet<QString> words;
    for (auto it = word.globalMatch(text); it.hasNext();)
        words.insert(it.next().captured());
    return words;
}

// A file read back may end in one more paragraph mark than the text shown.
QString comparable(QString text) {
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

// A note as every machine must show it, on one line.
QString describe(const Note& n, const QTextDocument& text) {
    return QStringList{n.created,
                       QString::number(n.left),
                       QString::number(n.top),
                       QString::number(n.width),
                       QString::number(n.height),
                       n.colour.name(),
                       QString::number(n.effectiveOpacity()),
                       n.password,
                       QString::number(n.locked),
                       QString::number(n.heightBeforeLock.value_or(-1)),
                       QString::number(n.visible),
                       comparable(text.toPlainText()).replace(u'\n', u'/')}
        .join(u'|');
}

QMap<QString, QByteArray> filesUnder(const QString& dir) {
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            files.insert(QDir(dir).relativeFilePath(file.fileName()), file.readAll());
    }
    return files;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

}  // namespace

QList<NoteShelf::Shown> ValueShelf::notes() const {
    QList<Shown> shown;
    for (const Item& item : items)
        shown.append({item.id, item.note, item.text.get()});
    return shown;
}

ValueShelf::Item* ValueShelf::find(NoteId id) {
    for (Item& item : items) {
        if (item.id == id) return &item;
    }
    return nullptr;
}

NoteId ValueShelf::open(const NoteChange& change, QString* problem) {
    static NoteId next = 0;
    Item item{++next, Note{}, std::make_unique<QTextDocument>()};
    // As the app's new notes: stamped with the time and an identity of their own.
    item.note.created = timetext::creationTime(Clock::instance().now());
    item.note.uid = noteuid::random();
    const NoteId id = item.id;
    items.push_back(std::move(item));
    Item& made = items.back();
    if (change.values) made.note = *change.values;
    if (change.text) {
        switch (change.text->kind) {
            case NoteText::Kind::Rtf:
                rtf::read(change.text->rtf, made.text.get(), problem);
                break;
            case NoteText::Kind::Plain:
                made.text->setPlainText(QString(change.text->plain)
                                            .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
                break;
            case NoteText::Kind::None:
                made.text->clear();
                break;
        }
    }
    if (!change.heading.isEmpty()) {
        QTextCursor at(made.text.get());
        at.insertText(change.heading);
        at.insertBlock();
    }
    return id;
}

void ValueShelf::apply(NoteId id, const NoteChange& change) {
    Item* item = find(id);
    if (!item) return;
    if (change.values) item->note = *change.values;
    if (change.text) {
        if (change.text->kind == NoteText::Kind::Rtf)
            rtf::read(change.text->rtf, item->text.get());
        else
            item->text->setPlainText(
                QString(change.text->plain).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
    if (!change.heading.isEmpty()) {
        QTextCursor at(item->text.get());
        at.insertText(change.heading);
        at.insertBlock();
    }
}

void ValueShelf::close(NoteId id) {
    std::erase_if(items, [id](const Item& item) { return item.id == id; });
}

void ValueShelf::first() {
    NoteChange change;
    change.text =
        NoteText{NoteText::Kind::Plain,
                 {},
                 QStringLiteral("创建：") + timetext::creationTime(Clock::instance().now()) +
                     QStringLiteral("\r\n")};
    QString problem;
    const NoteId id = open(change, &problem);
    // As the app's new note: a change to save.
    if (sync) {
        sync->contentChanged(id);
        sync->changed();
    }
}

void Machine::start() {
    crash();
    m_shelf = std::make_unique<ValueShelf>();
    // A merge never waits for files still arriving: no timer runs here.
    m_sync = std::make_unique<StoreSync>(*m_shelf, m_switches, m_places, SyncDelays{0, 0, 0, 0});
    m_shelf->sync = m_sync.get();
    m_sync->load();
    unsaved.clear();
}

void Machine::crash() {
    m_sync.reset();
    m_shelf.reset();
}

void Machine::changed(NoteId id, bool content) {
    if (content) m_sync->contentChanged(id);
    m_sync->changed();
}

void Machine::createNote() {
    m_shelf->first();
}

void Machine::type(int index, const QString& word) {
    ValueShelf::Item& item = m_shelf->items[size_t(index)];
    QTextCursor end(item.text.get());
    end.movePosition(QTextCursor::End);
    end.insertText(u' ' + word);
    unsaved.insert(word);
    changed(item.id, true);
}

QStringList Machine::deleteNote(int index) {
    const ValueShelf::Item& item = m_shelf->items[size_t(index)];
    QStringList words = wordsIn(item.text->toPlainText()).values();
    const NoteId id = item.id;
    // As the delete command: the file first known, the window closed, the file removed, saved.
    const int stored = m_sync->storedNumber(id);
    m_shelf->close(id);
    m_sync->forget(id);
    m_sync->changed();
    if (stored > 0) m_sync->removeContentFile(stored);
    save();
    return words;
}

void Machine::move(int index, int dx, int dy) {
    ValueShelf::Item& item = m_shelf->items[size_t(index)];
    item.note.left += dx;
    item.note.top += dy;
    changed(item.id, false);
}

void Machine::recolour(int index, const QColor& colour) {
    ValueShelf::Item& item = m_shelf->items[size_t(index)];
    item.note.colour = colour;
    changed(item.id, false);
}

void Machine::toggleLock(int index) {
    Note& note = m_shelf->items[size_t(index)].note;
    if (note.locked) {
        note.password.clear();
        note.locked = false;
        note.height = note.heightBeforeLock.value_or(0);
    } else {
        note.password = QStringLiteral("pw");
        note.locked = true;
        note.heightBeforeLock = note.height;
        note.height = 405;
    }
    changed(m_shelf->items[size_t(index)].id, false);
}

bool Machine::save() {
    QStringList errors;
    const bool saved = m_sync->saveAll(&errors);
    if (saved) unsaved.clear();
    return saved;
}

void Machine::merge() {
    m_sync->checkDisk();
}

SyncTool::SyncTool(QStringList folders, QString tempDir, Kind kind, const Clock& clock)
    : m_folders(std::move(folders)),
      m_temp(std::move(tempDir)),
      m_kind(kind),
      m_clock(clock),
      m_known(size_t(m_folders.size())),
      m_writing(size_t(m_folders.size())) {
    QDir().mkpath(m_temp);
}

SyncTool::Version SyncTool::local(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return {true, f.readAll(), 0};
}

QList<SyncTool::Pending> SyncTool::pending() const {
    QList<Pending> pending;
    for (int i = 0; i < m_folders.size(); ++i) {
        QStringList paths = filesUnder(m_folders[i]).keys();
        paths << m_known[size_t(i)].keys() << m_server.keys() << m_writing[size_t(i)].keys();
        paths.sort();
        paths.removeDuplicates();
        for (const QString& path : paths) {
            // Nextcloud leaves its conflict copies where they were made.
            if (m_kind == Kind::Nextcloud &&
                !store::conflictCopyOf(QFileInfo(path).fileName()).isEmpty())
                continue;
            const Version here = local(m_folders[i] + u'/' + path);
            const Version known = m_known[size_t(i)].value(path);
            if (m_writing[size_t(i)].contains(path) || here.exists != known.exists ||
                here.bytes != known.bytes || m_server.value(path).serial != known.serial)
                pending.append({i, path});
        }
    }
    return pending;
}

void SyncTool::write(int folder, const QString& path, const QByteArray& bytes) {
    // Into place by rename, from a file written beside the store.
    const QString temp = m_temp + QStringLiteral("/carrying");
    writeFile(temp, bytes);
    // Stamped with the simulated time: what a machine shows of it (the heading of another
    // machine's version) is the same at any speed.
    QFile carried(temp);
    if (carried.open(QIODevice::ReadWrite))
        carried.setFileTime(m_clock.now(), QFileDevice::FileModificationTime);
    carried.close();
    const QString target = m_folders[folder] + u'/' + path;
    QDir().mkpath(QFileInfo(target).path());
    std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData());
}

QString SyncTool::conflictName(int folder, const QString& path) const {
    const QFileInfo info(path);
    const QString dir = info.path() == u"." ? QString() : info.path() + u'/';
    const QString base = dir + info.completeBaseName();
    const QString ext = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    for (int k = 0;; ++k) {
        const QDateTime at = m_clock.now().addSecs(k);
        QString name;
        switch (m_kind) {
            case Kind::Syncthing:
                name = base + QStringLiteral(".sync-conflict-") +
                       at.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral("-MACHIN") +
                       QString::number(folder) + ext;
                break;
            case Kind::Nextcloud:
                name = base + QStringLiteral(" (conflicted copy ") +
                       at.toString(QStringLiteral("yyyy-MM-dd HHmmss")) + u')' + ext;
                break;
            case Kind::Dropbox:
                name = base + QStringLiteral(" (m") + QString::number(folder) +
                       QStringLiteral("'s conflicted copy ") +
                       m_clock.now().toString(QStringLiteral("yyyy-MM-dd")) +
                       (k ? QStringLiteral(" (") + QString::number(k) + u')' : QString()) + u')' +
                       ext;
                break;
        }
        if (!QFileInfo::exists(m_folders[folder] + u'/' + name) && !m_server.contains(name))
            return name;
    }
}

QString SyncTool::carry(int i, const QString& path, std::mt19937_64& rng) {
    QString what = QStringLiteral("m%1 %2: ").arg(i).arg(path);
    const QString file = m_folders[i] + u'/' + path;
    Version here = local(file);
    QMap<QString, Version>& known = m_known[size_t(i)];
    if (m_writing[size_t(i)].contains(path)) {
        const Version target = m_writing[size_t(i)].take(path);
        if (!here.exists) {
            write(i, path, target.bytes);
            known[path] = target;
            return what + QStringLiteral("written after its deletion");
        }
        // The program wrote it meanwhile: both sides changed it.
    }
    const Version was = known.value(path);
    const Version server = m_server.value(path);
    const bool changedHere = here.exists != was.exists || here.bytes != was.bytes;
    const bool newerThere = server.serial != was.serial;
    auto upload = [&] {
        here.serial = ++m_serial;
        m_server[path] = here;
        known[path] = here;
    };
    auto download = [&] {
        if (!server.exists)
            QFile::remove(file);
        else if (here.exists && rng() % 4 == 0)
            // Some tools delete the old file first; the new one comes with a later step.
            return void(QFile::remove(file)), void(m_writing[size_t(i)].insert(path, server)),
                   void(what += u"deleted first, ");
        else
            write(i, path, server.bytes);
        known[path] = server;
    };
    if (!newerThere) return upload(), what + (here.exists ? u"up" : u"deletion up");
    if (!changedHere || (here.exists == server.exists && here.bytes == server.bytes))
        return download(), what + (server.exists ? u"down" : u"deletion down");
    // Both changed it. A change wins over a deletion.
    if (!here.exists) return download(), what + u"down over a deletion";
    if (!server.exists) return upload(), what + u"up over a deletion";
    const QString copy = conflictName(i, path);
    if (m_kind == Kind::Nextcloud || rng() % 2) {
        // Theirs kept; ours beside it.
        write(i, copy, here.bytes);
        here = {};
        return download(), what + u"down, ours to " + copy;
    }
    write(i, copy, server.bytes);
    return upload(), what + u"up, theirs to " + copy;
}

bool SyncTool::step(std::mt19937_64& rng, QString* what) {
    const QList<Pending> all = pending();
    if (all.isEmpty()) return false;
    const Pending& one = all[qsizetype(rng() % quint64(all.size()))];
    const QString done = carry(one.folder, one.path, rng);
    if (what) *what = done;
    return true;
}

int SyncTool::deliverAll(std::mt19937_64& rng, QStringList* log) {
    int carried = 0;
    QString what;
    while (carried < 10000 && step(rng, &what)) {
        ++carried;
        if (log) log->append(QStringLiteral("  ") + what);
    }
    return carried;
}

QString scratchParent() {
    return QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                              : QDir::tempPath();
}

Outcome run(quint64 seed, const QString& root) {
    Outcome out;
    std::mt19937_64 rng(seed);
    auto pick = [&rng](int n) { return int(rng() % quint64(n)); };
    QDir(root).removeRecursively();
    const QString stores = root + QStringLiteral("/stores");
    // Beside the stores: what the user keeps there, never touched.
    const QMap<QString, QByteArray> sentinels = {
        {QStringLiteral("notes.txt"), "mine"},
        {QStringLiteral("keep/inside.txt"), "also mine"},
        {QStringLiteral("thesis.odt"), "chapter one"},
    };
    for (auto it = sentinels.cbegin(); it != sentinels.cend(); ++it)
        writeFile(stores + u'/' + it.key(), it.value());

    SimClock clock;
    clock.set(QDateTime(QDate(2026, 1, 1), QTime(8, 0), Qt::UTC).addSecs(pick(86400 * 300)));
    Clock::install(&clock);
    auto realClock = qScopeGuard([] { Clock::install(nullptr); });

    const int count = 2 + pick(2);
    const auto kind = SyncTool::Kind(pick(3));
    std::vector<std::unique_ptr<Machine>> machines;
    QStringList folders;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("m") + QString::number(i);
        folders.append(stores + u'/' + name);
        QDir().mkpath(folders.last());
        const QString places = root + QStringLiteral("/places/") + name;
        machines.push_back(std::make_unique<Machine>(
            folders.last(),
            StoreSync::Places{
                {}, places + QStringLiteral("/snapshots"), places + QStringLiteral("/conflicts")}));
    }
    SyncTool tool(folders, root + QStringLiteral("/tool"), kind, clock);
    out.log.append(
        QStringLiteral("seed %1: %2 machines, tool %3").arg(seed).arg(count).arg(int(kind)));
    // One machine starts the store; the others start once it has come over.
    machines[0]->start();
    machines[0]->save();
    tool.deliverAll(rng);
    for (int i = 1; i < count; ++i)
        machines[size_t(i)]->start();

    // SYNCSIM_TRACE: every machine's notes after each step.
    auto trace = [&, on = qEnvironmentVariableIsSet("SYNCSIM_TRACE")] {
        for (int i = 0; on && i < count; ++i) {
            if (!machines[size_t(i)]->running()) continue;
            for (const ValueShelf::Item& item : machines[size_t(i)]->shelf().items)
                out.log.append(QStringLiteral("    m%1 ").arg(i) + describe(item.note, *item.text));
        }
    };
    QMap<QString, int> typedOn;     // every word typed, and where
    QMap<QString, QString> noteOf;  // the creation time of the note each word was typed in
    QSet<QString> deleted;          // the creation times of notes deleted anywhere
    QSet<QString> excused;          // deleted by someone who had seen it, or lost in a crash
    const QColor colours[] = {Qt::yellow, Qt::cyan, Qt::green, Qt::magenta, Qt::white};
    out.steps = 20 + pick(30);
    for (int s = 0; s < out.steps; ++s) {
        clock.advance(1 + pick(2));  // no two notes made in the same second
        QString what;
        if (pick(100) < 35) {
            what = QStringLiteral("tool idle");
            tool.step(rng, &what);
            out.log.append(QString::number(s) + u' ' + what);
            trace();
            continue;
        }
        const int m = pick(count);
        Machine& on = *machines[size_t(m)];
        const int action = pick(100);
        const int notes = on.running() ? int(on.shelf().items.size()) : 0;
        const int index = notes ? pick(notes) : -1;
        if (!on.running()) {
            on.start();
            what = QStringLiteral("restarts");
        } else if (action < 30 && notes && !on.shelf().items[size_t(index)].note.locked) {
            const QString word = u'w' + QString::number(typedOn.size());
            typedOn.insert(word, m);
            noteOf.insert(word, on.shelf().items[size_t(index)].note.created);
            on.type(index, word);
            what = QStringLiteral("types %1 in note %2").arg(word).arg(index);
        } else if (action < 38) {
            on.createNote();
            what = QStringLiteral("makes a note");
        } else if (action < 44 && notes) {
            deleted.insert(on.shelf().items[size_t(index)].note.created);
            const QStringList words = on.deleteNote(index);
            excused.unite(QSet<QString>(words.begin(), words.end()));
            what = QStringLiteral("deletes note %1 (%2)").arg(index).arg(words.join(u' '));
        } else if (action < 50 && notes) {
            on.move(index, pick(2000) - 1000, pick(2000) - 1000);
            what = QStringLiteral("moves note %1").arg(index);
        } else if (action < 55 && notes) {
            on.recolour(index, colours[pick(5)]);
            what = QStringLiteral("recolours note %1").arg(index);
        } else if (action < 59 && notes) {
            on.toggleLock(index);
            what = QStringLiteral("locks or unlocks note %1").arg(index);
        } else if (action < 77) {
            what = on.save() ? QStringLiteral("saves") : QStringLiteral("saves, failing");
        } else if (action < 97) {
            on.merge();
            what = QStringLiteral("merges");
        } else {
            excused.unite(on.unsaved);
            what = QStringLiteral("crashes, losing %1").arg(on.unsaved.values().join(u' '));
            on.crash();
        }
        out.log.append(QStringLiteral("%1 m%2 %3").arg(s).arg(m).arg(what));
        trace();
    }

    // Quiet: every machine merges and saves, the tool carries everything, until nothing moves.
    for (auto& machine : machines) {
        if (!machine->running()) machine->start();
    }
    auto allFiles = [&] {
        QList<QMap<QString, QByteArray>> all;
        for (const QString& folder : folders)
            all.append(filesUnder(folder));
        return all;
    };
    bool quiet = false;
    for (int round = 0; round < 12 && !quiet; ++round) {
        const auto before = allFiles();
        out.log.append(QStringLiteral("quiet round %1").arg(round));
        for (auto& machine : machines) {
            clock.advance(1);
            machine->merge();
            machine->save();
        }
        trace();
        tool.deliverAll(rng, &out.log);
        quiet = allFiles() == before;
    }
    if (!quiet)
        out.violations.append(QStringLiteral("quiet: the stores still change after 12 rounds"));

    QList<QStringList> shown;
    for (int i = 0; i < count; ++i) {
        ValueShelf& shelf = machines[size_t(i)]->shelf();
        QSet<QString> words;
        QStringList notes;
        QHash<QString, int> texts;
        for (const ValueShelf::Item& item : shelf.items) {
            const QString text = comparable(item.text->toPlainText());
            words.unite(wordsIn(text));
            notes.append(describe(item.note, *item.text));
            // Two empty notes are two notes.
            if (!text.isEmpty() && !text.startsWith(kOtherVersion) && texts[text]++ == 1)
                out.violations.append(
                    QStringLiteral("no note twice: m%1 shows twice: %2").arg(i).arg(text));
        }
        for (auto it = typedOn.cbegin(); it != typedOn.cend(); ++it) {
            if (excused.contains(it.key()) || words.contains(it.key())) continue;
            // Told apart: a note deleted on a machine that had not seen the word yet.
            out.violations.append((deleted.contains(noteOf.value(it.key()))
                                       ? kLostToDeletion
                                       : QStringLiteral("nothing lost: ")) +
                                  QStringLiteral("%1, typed on m%2, is not on m%3")
                                      .arg(it.key())
                                      .arg(it.value())
                                      .arg(i));
        }
        notes.sort();
        shown.append(notes);
        if (i > 0 && notes != shown[0]) {
            QStringList only;
            for (const QString& note : notes) {
                if (!shown[0].contains(note))
                    only.append(QStringLiteral("  only m%1: ").arg(i) + note);
            }
            for (const QString& note : shown[0]) {
                if (!notes.contains(note)) only.append(QStringLiteral("  only m0: ") + note);
            }
            out.violations.append(QStringLiteral("converge: m%1 and m0 differ:\n").arg(i) +
                                  only.join(u'\n'));
        }
    }
    QStringList expected = sentinels.keys();
    for (int i = 0; i < count; ++i)
        expected.append(QStringLiteral("m%1").arg(i));
    const QMap<QString, QByteArray> beside = filesUnder(stores);
    for (auto it = sentinels.cbegin(); it != sentinels.cend(); ++it) {
        if (beside.value(it.key()) != it.value())
            out.violations.append(QStringLiteral("outside the stores: %1 changed").arg(it.key()));
    }
    for (const QString& entry :
         QDir(stores).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (!expected.contains(entry) && entry != u"keep")
            out.violations.append(QStringLiteral("outside the stores: %1 appeared").arg(entry));
    }
    if (QDir(stores + QStringLiteral("/keep"))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) !=
        QStringList{QStringLiteral("inside.txt")})
        out.violations.append(QStringLiteral("outside the stores: keep/ changed"));
    return out;
}

}  // namespace syncsim
