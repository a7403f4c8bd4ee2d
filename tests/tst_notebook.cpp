#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <memory>

#include "model/notestate.h"
#include "notebook/notebook.h"
#include "platform/apppaths.h"
#include "platform/files.h"
#include "store/notestore.h"
#include "store/savejournal.h"

namespace {

// Holds every durable write until the test lets it go: a save caught in the middle.
class HeldSteps : public files::Steps {
public:
    bool writeDurably(const QString& path, QByteArrayView bytes, QString* error) override {
        m_started.release();
        m_go.acquire();
        m_go.release();
        return Steps::writeDurably(path, bytes, error);
    }
    void waitUntilWriting() { m_started.acquire(); }
    void letGo() { m_go.release(); }

private:
    QSemaphore m_started;
    QSemaphore m_go;
};

// Another machine's file lands, by rename, while a save puts its own files in place.
class ArrivingSteps : public files::Steps {
public:
    ArrivingSteps(QString arriving, QString at)
        : m_arriving(std::move(arriving)), m_at(std::move(at)) {}
    bool rename(const QString& from, const QString& to, QString* error) override {
        if (!m_arrived) {
            m_arrived = true;
            QFile other(m_at + QStringLiteral(".sync"));
            if (!other.open(QIODevice::WriteOnly)) return false;
            other.write(m_arriving.toUtf8());
            other.close();
            QFile::remove(m_at);
            QFile::rename(other.fileName(), m_at);
        }
        return Steps::rename(from, to, error);
    }

private:
    QString m_arriving;
    QString m_at;
    bool m_arrived = false;
};

QByteArray fileOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

class TstNotebook : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void changesDuringABackgroundSaveWaitForTheNext();
    void failuresAreToldOncePerStreakAndRetried();
    void deletedNoteGoesAndTheRestMoveUp();
    void aSaveNeverGoesOverAnotherMachinesFiles();
    void aFileArrivingDuringASaveIsNotTakenAsSeen();
    void aSaveEndedInsideAQueryIsToldAfterIt();
    void aNoteStateSignalsOnlyRealChanges();
    void aJournalNotOursGoesWhereTheNotebookWasTold();

private:
    QList<Notebook::Page> pages() const {
        QList<Notebook::Page> list;
        // Each text's note is known by its place in m_docs, from 1.
        for (size_t i = 0; i < m_docs.size(); ++i) {
            if (m_docs[i]) list.append({NoteId(i + 1), Note{}, m_docs[i].get()});
        }
        return list;
    }
    QString content(int n) const { return store::contentFilePath(m_dir->path(), n); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Notebook> m_book;
    std::vector<std::unique_ptr<QTextDocument>> m_docs;
};

void TstNotebook::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_book = std::make_unique<Notebook>(m_dir->path(), m_dir->filePath(QStringLiteral("snaps")), 7);
    m_docs.clear();
    for (const char* text : {"first", "second", "third"}) {
        m_docs.push_back(std::make_unique<QTextDocument>(QString::fromLatin1(text)));
        m_book->contentChanged(m_docs.size());
    }
    m_book->changed();
}

void TstNotebook::cleanup() {
    files::Steps::install(nullptr);
    m_book.reset();
}

void TstNotebook::changesDuringABackgroundSaveWaitForTheNext() {
    HeldSteps held;
    files::Steps::install(&held);
    QSignalSpy finished(m_book.get(), &Notebook::finished);
    QVERIFY(m_book->saveInBackground(pages(), Switches{}));
    held.waitUntilWriting();
    // Typed while the texts are being written: the save under way keeps what it took.
    m_docs[1]->setPlainText(QStringLiteral("typed meanwhile"));
    m_book->contentChanged(2);
    m_book->changed();
    QVERIFY(!m_book->saveInBackground(pages(), Switches{}));  // one save at a time
    held.letGo();
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished[0][0].toBool(), true);
    QVERIFY(fileOf(content(2)).contains("second"));
    QVERIFY(m_book->hasUnsaved());

    QVERIFY(m_book->save(pages(), Switches{}));
    QVERIFY(!m_book->hasUnsaved());
    QVERIFY(fileOf(content(2)).contains("typed meanwhile"));
    QVERIFY(fileOf(content(1)).contains("first"));
}

void TstNotebook::failuresAreToldOncePerStreakAndRetried() {
    QSignalSpy failing(m_book.get(), &Notebook::failing);
    QSignalSpy worksAgain(m_book.get(), &Notebook::worksAgain);
    // A file where the content folder should be: no text can be written.
    QFile blocker(m_dir->filePath(QStringLiteral("tie")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(!m_book->save(pages(), Switches{}));
    QVERIFY(!m_book->save(pages(), Switches{}));
    QCOMPARE(failing.size(), 1);
    QVERIFY(m_book->hasUnsaved());

    QVERIFY(blocker.remove());
    QVERIFY(m_book->save(pages(), Switches{}));
    QCOMPARE(worksAgain.size(), 1);
    for (int n = 1; n <= 3; ++n)
        QVERIFY2(!fileOf(content(n)).startsWith("<missing>"), qPrintable(content(n)));
}

void TstNotebook::deletedNoteGoesAndTheRestMoveUp() {
    QVERIFY(m_book->save(pages(), Switches{}));
    const QByteArray third = fileOf(content(3));
    // The second note's delete button.
    const NoteId second = 2;
    QCOMPARE(m_book->storedNumber(second), 2);
    m_book->forget(second);
    m_docs[1].reset();
    QVERIFY(!m_book->removeContentFile(3));  // an open note's file stays
    QVERIFY(m_book->removeContentFile(2));   // goes with the save, which moves the third there
    m_book->changed();
    QVERIFY(m_book->save(pages(), Switches{}));
    QCOMPARE(fileOf(content(2)), third);
    QCOMPARE(m_book->storedNumber(3), 2);
}

void TstNotebook::aSaveNeverGoesOverAnotherMachinesFiles() {
    QVERIFY(m_book->save(pages(), Switches{}));
    // Our own save is no change from elsewhere.
    QVERIFY(m_book->diskUnchanged());
    // Another machine's text arrives, by rename, just as this one is about to save.
    const QString arrived = m_dir->filePath(QStringLiteral("arrived"));
    QFile other(arrived);
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("{\\rtf1 from elsewhere\\par}");
    other.close();
    QVERIFY(QFile::remove(content(2)) && QFile::rename(arrived, content(2)));
    m_docs[1]->setPlainText(QStringLiteral("typed here"));
    m_book->contentChanged(2);
    m_book->changed();
    QSignalSpy changedOnDisk(m_book.get(), &Notebook::changedOnDisk);
    QVERIFY(!m_book->save(pages(), Switches{}));
    QCOMPARE(changedOnDisk.size(), 1);
    QVERIFY(fileOf(content(2)).contains("from elsewhere"));
    QVERIFY(m_book->hasUnsaved());  // waits for the merge
}

void TstNotebook::aFileArrivingDuringASaveIsNotTakenAsSeen() {
    QVERIFY(m_book->save(pages(), Switches{}));
    m_docs[0]->setPlainText(QStringLiteral("typed here"));
    m_book->contentChanged(1);
    m_book->changed();
    ArrivingSteps arriving(QStringLiteral("{\\rtf1 from elsewhere\\par}"), content(3));
    files::Steps::install(&arriving);
    QVERIFY(m_book->save(pages(), Switches{}));
    // The base is what this save wrote: the third note's new text is still to be merged.
    QVERIFY(fileOf(content(3)).contains("from elsewhere"));
    QVERIFY(!m_book->diskUnchanged());
}

void TstNotebook::aSaveEndedInsideAQueryIsToldAfterIt() {
    HeldSteps held;
    files::Steps::install(&held);
    QSignalSpy finished(m_book.get(), &Notebook::finished);
    QVERIFY(m_book->saveInBackground(pages(), Switches{}));
    held.waitUntilWriting();
    held.letGo();
    // The query waits for the save. Told from inside it, a listener that merges or saves again
    // (as the sync does on every finished save) would run in the middle of the caller's merge.
    QCOMPARE(m_book->storedNumber(2), 2);
    QCOMPARE(finished.size(), 0);
    QTRY_COMPARE(finished.size(), 1);
}

void TstNotebook::aNoteStateSignalsOnlyRealChanges() {
    NoteState state;
    QSignalSpy changed(&state, &NoteState::changed);
    // A window told where it already stands, a sound cleared twice: nothing to save.
    const Note design;
    state.setPlaceAndSize(design.left, design.top, design.width, design.height);
    state.setSoundPath(QString());
    state.setValues(design);
    QCOMPARE(changed.size(), 0);
    state.setSize(design.width, design.height + 15);
    QCOMPARE(changed.size(), 1);
    Note recoloured = state.values();
    recoloured.colour = QColor(Qt::cyan);
    recoloured.opacity = 128;
    recoloured.locked = true;
    state.setValues(recoloured);
    QCOMPARE(changed.size(), 2);
    state.setVisible(false);
    state.setVisible(false);
    QCOMPARE(changed.size(), 3);
    QCOMPARE(state.values().height, design.height + 15);
}

QTEST_MAIN(TstNotebook)
void TstNotebook::aJournalNotOursGoesWhereTheNotebookWasTold() {
    // Each machine of the simulated ones, and each test, has a folder of its own for what it
    // sets aside: none writes into the program's state folder.
    const QString kept = m_dir->filePath(QStringLiteral("kept"));
    m_book = std::make_unique<Notebook>(m_dir->path(), m_dir->filePath(QStringLiteral("snaps")), 7,
                                        kept);
    m_book->changed();
    const QString programsOwn = paths::conflictsDir();
    const QStringList before = QDir(programsOwn).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QFile journal(store::journalPath(m_dir->path()));
    QVERIFY(journal.open(QIODevice::WriteOnly));
    journal.write("Jotpin save journal 2\nmachine 00ff\n+tie.dat\nend\n");
    journal.close();
    QVERIFY(m_book->save(pages(), Switches{}, Notebook::Scope::All));
    QVERIFY(!QFileInfo::exists(journal.fileName()));
    QCOMPARE(QDir(kept).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
    QCOMPARE(QDir(programsOwn).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

#include "tst_notebook.moc"
