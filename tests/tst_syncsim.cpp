// Two or three machines and a sync tool, driven by seeded schedules: whatever the order in
// which the tool carries the files, no typed word is lost, the machines end up showing the same
// notes, no note shows twice, and nothing beside the stores is touched.
#include <QHashSeed>
#include <QTemporaryDir>
#include <QTest>

#include "syncsim.h"

class TstSyncSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QHashSeed::setDeterministicGlobalSeed(); }
    void schedules();
    void faultsFound_data();
    void faultsFound();

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
    for (quint64 seed = 1; seed <= 300; ++seed) {
        QString report;
        if (holds(seed, root, &report)) continue;
        qWarning().noquote() << report;
        failed.append(QString::number(seed));
    }
    QVERIFY2(failed.isEmpty(), qPrintable(QStringLiteral("failing seeds: ") + failed.join(u' ')));
}

void TstSyncSim::faultsFound_data() {
    QTest::addColumn<quint64>("seed");
}

void TstSyncSim::faultsFound() {
    QFETCH(quint64, seed);
    QString report;
    QVERIFY2(holds(seed, m_root.filePath(QStringLiteral("run")), &report), qPrintable(report));
}

QTEST_MAIN(TstSyncSim)
#include "tst_syncsim.moc"
