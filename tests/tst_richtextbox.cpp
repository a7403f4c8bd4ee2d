#include <QTest>

class Tst_richtextbox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void placeholder() { QVERIFY(true); }
};

QTEST_MAIN(Tst_richtextbox)
#include "tst_richtextbox.moc"
