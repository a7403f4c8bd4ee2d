// Two or three machines and a sync tool, driven by seeded schedules: whatever the order in
// which the tool carries the files, no typed word is lost, the machines end up showing the same
// notes, no note shows twice, and nothing beside the stores is touched.
#include <QHashSeed>
#include <QTemporaryDir>
#include <QTest>

#include "syncsim.h"

namespace {
const QList<quint64> kOpen = {193, 537};
}

class TstSyncSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QHashSeed::setDeterministicGlobalSeed(); }
    void schedules();
    void faultsFound_data();
    void faultsFound();
    // Not fixed: after storms of conflicts on three machines, a note shows another's text, so
    // that text shows twice (193); words typed while another machine deletes the note (537).
    void openFaults_data();
    void openFaults();

private:
    // The seed's schedule: true when every check held; otherwise what failed and the steps.
    static bool holds(quint64 seed, const QString& root, QString* report);
    QTemporaryDir m_root{syncsim::scratchParent() + QStringLiteral("/tst_syncsim-XXXXXX")};
};

bool TstSyncSim::holds(quint64 seed, const QString& root, QString* report) {
    const syncsim::Outcome outcome = syncsim::run(seed, root);
    if (outcome.violations.isEmpty()) return true;
    *report = QStringLiteral("seed %1:\n").arg(seed) + outcome.violations.join(u'\n') +
              QStringLiteral("\nsteps:\n") + outcome.log.join(u'\n');
    return false;
}

void TstSyncSim::schedules() {
    QVERIFY(m_root.isValid());
    // A failing seed is worth keeping only if it brings the same schedule back.
    const QString root = m_root.filePath(QStringLiteral("run"));
    QCOMPARE(syncsim::run(1, root).log, syncsim::run(1, root).log);
    QStringList failed;
    // Fewer under a sanitizer, which runs each many times slower.
    const int schedules = qEnvironmentVariableIntValue("SYNCSIM_SCHEDULES");
    const quint64 last = schedules > 0 ? quint64(schedules) : 300;
    for (quint64 seed = 1; seed <= last; ++seed) {
        if (kOpen.contains(seed)) continue;  // openFaults()
        QString report;
        if (holds(seed, root, &report)) continue;
        qWarning().noquote() << report;
        failed.append(QString::number(seed));
    }
    QVERIFY2(failed.isEmpty(), qPrintable(QStringLiteral("failing seeds: ") + failed.join(u' ')));
}

// Schedules that once lost notes; a change to the simulation's draws gives their seeds other
// schedules, to be found again.
void TstSyncSim::faultsFound_data() {
    QTest::addColumn<quint64>("seed");
    // The settings file of one machine lost to the other's: the notes only it listed went.
    QTest::newRow("settings file left as a conflict copy") << quint64(1);
    // The settings file deleted before the tool wrote the new one, another machine's texts
    // already there: every note was saved anew over them.
    QTest::newRow("texts arrived before their settings file") << quint64(19);
    // Another machine's text came before its settings file, under a number a save here gave
    // to a note of ours: written over.
    QTest::newRow("a text whose settings file did not come") << quint64(112);
    QTest::newRow("words lost after settings-file conflicts") << quint64(164);
}

void TstSyncSim::openFaults_data() {
    QTest::addColumn<quint64>("seed");
    for (quint64 seed : kOpen)
        QTest::newRow(qPrintable(QString::number(seed))) << seed;
}

void TstSyncSim::openFaults() {
    QFETCH(quint64, seed);
    QString report;
    QEXPECT_FAIL("193", "a note shows another's text after conflicts, not traced yet", Continue);
    QEXPECT_FAIL("537", "words typed while another machine deletes the note, not traced yet",
                 Continue);
    QVERIFY2(holds(seed, m_root.filePath(QStringLiteral("run")), &report), qPrintable(report));
}

void TstSyncSim::faultsFound() {
    QFETCH(quint64, seed);
    QString report;
    QVERIFY2(holds(seed, m_root.filePath(QStringLiteral("run")), &report), qPrintable(report));
}

QTEST_MAIN(TstSyncSim)
#include "tst_syncsim.moc"
