#include <QApplication>
#include <QTest>

#include "sandbox.h"

#include "app/form2.h"
#include "note/createnote.h"
#include "note/form1.h"
#include "platform/clock.h"
#include "richtext/richtextbox.h"
#include "platform/units.h"
#include "platform/windowops.h"

class TstNote : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void createNoteNumbersAndStampsIt();
    void createNoteFollowsNotesOnTop();
    void activationTracksThePositionInForms();
    void tagsStayDistinctAfterTheDeleteButtonLowersTheCounter();
    void firstLayoutPutsTheControlsInPlace();
    void sizeClampsAndTheLockedHeight();
    void twipsSurviveTheRoundingToPixels();
    void leftGripPastTheMinimumPushesTheRightEdge();
    void anyMouseButtonResizesByGrip();
    void windowManagerCloseKeepsTheNote();

private:
    Form2* m_main = nullptr;
    FixedClock m_clock{QDateTime(QDate(2027, 1, 31), QTime(14, 7, 9))};
};

void TstNote::init() {
    Clock::install(&m_clock);
    m_main = new Form2();
    m_main->tiezizaiqian->setChecked(false);
    NoteCounter = 0;
    CurrentNoteIndex = 0;
}

void TstNote::cleanup() {
    Forms::unloadFrom(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Clock::install(nullptr);
}

void TstNote::createNoteNumbersAndStampsIt() {
    Form1* note = CreateNote();
    QCOMPARE(note->Tag(), QStringLiteral("1"));
    QCOMPARE(Forms::item(Forms::Count() - 1), note);
    QVERIFY(!note->isVisible());
    QCOMPARE(note->RichTextBox1->Tag(), QStringLiteral("27/01/31 14:7:9"));
    QCOMPARE(note->RichTextBox1->Text(), QStringLiteral("创建：27/01/31 14:7:9\r\n"));
    // Design values stand until the caller changes them.
    QCOMPARE(note->Left(), 11235);
    QCOMPARE(note->Top(), 405);
    QCOMPARE(note->Width(), 3345);
    QCOMPARE(note->Height(), 3825);
    QCOMPARE(note->Image4->Tag(), QStringLiteral("无密码"));
    QCOMPARE(note->Timer1.Tag, QStringLiteral("0"));
    QVERIFY(!note->Timer1.Enabled);
    QVERIFY(note->Timer2.Enabled);
}

void TstNote::createNoteFollowsNotesOnTop() {
    m_main->tiezizaiqian->setChecked(true);
    Form1* top = CreateNote();
    QVERIFY(windowops::isTopmost(top));
    m_main->tiezizaiqian->setChecked(false);
    Form1* normal = CreateNote();
    QVERIFY(!windowops::isTopmost(normal));
    // A shown note changes band without being hidden.
    normal->show();
    windowops::setTopmost(normal, true);
    QVERIFY(normal->isVisible());
    QVERIFY(windowops::isTopmost(normal));
}

void TstNote::activationTracksThePositionInForms() {
    Form1* first = CreateNote();
    Form1* second = CreateNote();
    Form1* third = CreateNote();
    QCOMPARE(QStringList({first->Tag(), second->Tag(), third->Tag()}),
             QStringList({"1", "2", "3"}));
    second->Form_Activate();
    QCOMPARE(CurrentNoteIndex, 2);
    first->Unload();
    second->Form_Activate();
    QCOMPARE(CurrentNoteIndex, 1);
}

void TstNote::tagsStayDistinctAfterTheDeleteButtonLowersTheCounter() {
    Form1* first = CreateNote();
    CreateNote();
    CreateNote();
    // The delete button unloads the note and lowers the counter by one.
    first->Unload();
    NoteCounter = qint16(NoteCounter - 1);
    Form1* fresh = CreateNote();
    QStringList tags;
    for (int i = 1; i < Forms::Count(); ++i)
        tags << Forms::item(i)->Tag();
    QCOMPARE(tags.size(), 3);
    QCOMPARE(QSet<QString>(tags.begin(), tags.end()).size(), 3);
    fresh->Form_Activate();
    QCOMPARE(CurrentNoteIndex, Forms::indexOf(fresh));
}

void TstNote::firstLayoutPutsTheControlsInPlace() {
    Form1* note = CreateNote();
    QCOMPARE(note->RichTextBox1->geometry(), QRect(3, 25, 215, 227));
    QCOMPARE(note->Label1->x(), 72);
    QCOMPARE(note->Image4->x(), 168);
    QCOMPARE(note->Image1->x(), 192);
    QCOMPARE(note->Resizer[3]->geometry(), QRect(19, 250, 184, 5));
}

void TstNote::sizeClampsAndTheLockedHeight() {
    Form1* note = CreateNote();
    note->show();
    note->setWidth(3000);
    note->setHeight(600);
    QTRY_COMPARE(note->Width(), 3345);
    QTRY_COMPARE(note->Height(), 638);
    note->setHeight(3000);
    QTRY_COMPARE(note->Height(), 3000);
    note->Image5->setVisible(true);  // locked
    note->setHeight(5000);
    QTRY_COMPARE(note->Height(), 638);
    QCOMPARE(note->height(), units::twipsToPixels(638));
}

void TstNote::twipsSurviveTheRoundingToPixels() {
    Form1* note = CreateNote();
    note->Move(-7, 1003, 3361, 2000);
    note->show();
    QTest::qWait(20);
    QCOMPARE(note->Left(), -7);
    QCOMPARE(note->Top(), 1003);
    QCOMPARE(note->Width(), 3361);
    QCOMPARE(note->Height(), 2000);
    // A size from outside is taken in pixels.
    note->resize(300, 200);
    QTRY_COMPARE(note->Width(), 4500);
    QCOMPARE(note->Height(), 3000);
}

void TstNote::leftGripPastTheMinimumPushesTheRightEdge() {
    Form1* note = CreateNote();
    note->Move(1500, 1500, 4000, 3000);
    note->ResizeStart = QPoint(100, 100);
    note->ResizeCurrent = QPoint(200, 100);  // 1500 twips to the right
    note->ResizeByGrip(0);
    QCOMPARE(note->Left(), 3000);
    QCOMPARE(note->Width(), 3345);
    QVERIFY(note->Left() + note->Width() > 1500 + 4000);
    // A drag that would give a negative size is refused.
    note->ResizeStart = QPoint(0, 0);
    note->ResizeCurrent = QPoint(0, -1000);
    note->ResizeByGrip(3);
    QCOMPARE(note->Height(), 3000);
}

void TstNote::anyMouseButtonResizesByGrip() {
    Form1* note = CreateNote();
    note->Move(1500, 1500, 4000, 3000);
    note->show();
    QVERIFY(QTest::qWaitForWindowExposed(note));
    QWidget* grip = note->Resizer[1];  // right edge
    QCursor::setPos(grip->mapToGlobal(QPoint(2, 2)));
    QTest::mousePress(grip, Qt::RightButton, {}, QPoint(2, 2));
    QVERIFY(note->Resizing);
    QCursor::setPos(grip->mapToGlobal(QPoint(22, 2)));
    QMouseEvent move(QEvent::MouseMove, QPointF(22, 2), grip->mapToGlobal(QPointF(22, 2)),
                     Qt::NoButton, Qt::RightButton, {});
    QApplication::sendEvent(grip, &move);
    QCOMPARE(note->Width(), 4300);
    QTest::mouseRelease(grip, Qt::RightButton, {}, QPoint(22, 2));
    QVERIFY(!note->Resizing);
    QCOMPARE(note->Width(), 4300);  // the release adds no travel of its own here
}

void TstNote::windowManagerCloseKeepsTheNote() {
    Form1* note = CreateNote();
    note->show();
    QVERIFY(!note->close());
    QCOMPARE(Forms::indexOf(note), 1);
    QVERIFY(note->isVisible());
}

QTEST_MAIN(TstNote)
#include "tst_note.moc"
