#include <QTest>

class Tst_rtf : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void placeholder() { QVERIFY(true); }
};

QTEST_MAIN(Tst_rtf)
#include "tst_rtf.moc"
