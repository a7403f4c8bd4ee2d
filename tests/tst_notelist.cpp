#include <QListWidget>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include "sandbox.h"

#include "app/form2.h"
#include "dialogs/form6.h"
#include "dialogs/notelistrows.h"
#include "note/createnote.h"
#include "note/form1.h"
#include "richtext/richtextbox.h"
#include "platform/windowops.h"

namespace {

// Records the order in which windows are shown.
class ShowRecorder : public QObject {
public:
    QList<QObject*> shown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) shown << watched;
        return false;
    }
};

Form1* makeNote(const QString& created) {
    Form1* note = CreateNote();
    note->RichTextBox1->setTag(created);
    return note;
}

QStringList rowTexts(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

void clickRow(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = {}) {
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
}

// As the user's hand does it: press and release, then the second press comes as a double-click.
void doubleClickRow(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = {}) {
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, modifiers, at);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, modifiers, at);
}

QtMessageHandler g_defaultHandler = nullptr;

// The offscreen platform cannot raise windows and says so at every raise().
void dropRaiseWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("does not support raise()"))) return;
    g_defaultHandler(type, context, text);
}

Form6* openList() {
    Form6::showList();
    Form6* list = Form6::instance();
    if (list) (void)QTest::qWaitForWindowExposed(list);
    return list;
}

}  // namespace

class TstForm6 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void rowText_data();
    void rowText();
    void closingShowsNothing_data();
    void closingShowsNothing();
    void rowsMapToTheirNotesPastOtherForms();
    void numberingPastNinetyNine();
    void pickingShowsTheSelectedNotesInListOrder_data();
    void pickingShowsTheSelectedNotesInListOrder();
    void windowIsTopmostAndCentred();
    void singleInstanceBuiltAfreshAtEachOpening();
    void noteUnloadedWhileTheListIsOpen_data();
    void noteUnloadedWhileTheListIsOpen();

private:
    Form2* m_main = nullptr;
};

void TstForm6::initTestCase() {
    g_defaultHandler = qInstallMessageHandler(dropRaiseWarnings);
}

void TstForm6::init() {
    m_main = new Form2();
    m_main->tiezizaiqian->setChecked(false);
    NoteCounter = 0;
    CurrentNoteIndex = 0;
}

void TstForm6::cleanup() {
    Forms::unloadFrom(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!Form6::instance());
}

void TstForm6::rowText_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("created");
    QTest::addColumn<QString>("expected");
    const QString t = QStringLiteral("26/12/06 9:5:3");
    QTest::newRow("1") << 1 << t << "   001    26/12/06 9:5:3";
    QTest::newRow("1000") << 1000 << t << "   1000    26/12/06 9:5:3";
    QTest::newRow("empty time") << 2 << QString() << "   002    ";
}

void TstForm6::rowText() {
    QFETCH(int, number);
    QFETCH(QString, created);
    QFETCH(QString, expected);
    QCOMPARE(notelist::rowText(number, created), expected);
}

void TstForm6::closingShowsNothing_data() {
    QTest::addColumn<int>("notes");
    QTest::addColumn<bool>("rowSelected");
    QTest::addColumn<bool>("closeButton");
    QTest::newRow("show button, no notes") << 0 << false << false;
    QTest::newRow("show button, nothing selected") << 2 << false << false;
    QTest::newRow("close button, row selected") << 2 << true << true;
}

void TstForm6::closingShowsNothing() {
    QFETCH(int, notes);
    QFETCH(bool, rowSelected);
    QFETCH(bool, closeButton);
    for (int i = 0; i < notes; ++i)
        makeNote(QString::number(i));
    Form6* list = openList();
    QCOMPARE(list->List1->count(), notes);
    if (rowSelected) clickRow(list->List1, 0);
    QTest::mouseClick(closeButton ? list->Image2 : list->Image1, Qt::LeftButton);
    QVERIFY(!Form6::instance());
    QVERIFY(list->isHidden());
    QCOMPARE(Forms::indexOf(list), -1);
    for (int i = 1; i < Forms::Count(); ++i)
        QVERIFY(!Forms::item(i)->isVisible());
}

void TstForm6::rowsMapToTheirNotesPastOtherForms() {
    Form1* first = makeNote(QStringLiteral("26/12/06 9:5:3"));
    first->show();
    auto* dialog = new Form();  // a dialog: empty Tag
    Form1* second = makeNote(QStringLiteral("26/12/07 10:0:0"));
    auto* unnumbered = new Form1();  // still has the design Tag
    auto* tagged = new Form();       // a Tag, but no note window
    tagged->setTag(QStringLiteral("7"));
    Form1* third = makeNote(QStringLiteral("26/12/08 23:59:59"));
    QVERIFY(!second->isVisible() && !third->isVisible());

    Form6* list = openList();
    QCOMPARE(rowTexts(list->List1),
             QStringList({"   001    26/12/06 9:5:3", "   002    26/12/07 10:0:0",
                          "   003    26/12/08 23:59:59"}));
    QCOMPARE(list->noteOfRow(0), first);
    QCOMPARE(list->noteOfRow(1), second);
    QCOMPARE(list->noteOfRow(2), third);

    // A hidden note comes up again; the others stay as they were.
    clickRow(list->List1, 2);
    QTest::mouseClick(list->Image1, Qt::LeftButton);
    QVERIFY(third->isVisible());
    QVERIFY(!second->isVisible());
    QVERIFY(first->isVisible());
    QVERIFY(!dialog->isVisible() && !unnumbered->isVisible() && !tagged->isVisible());
    QVERIFY(!Form6::instance());
    QTRY_COMPARE(CurrentNoteIndex, Forms::indexOf(third));
}

void TstForm6::numberingPastNinetyNine() {
    QList<Form1*> notes;
    for (int i = 0; i < 101; ++i) {
        notes << makeNote(QString::number(i));
        // Dialogs in between do not count.
        if (i % 30 == 0) new Form();
    }
    Form6* list = openList();
    QCOMPARE(list->List1->count(), 101);
    QCOMPARE(list->List1->item(8)->text(), QStringLiteral("   009    8"));
    QCOMPARE(list->List1->item(9)->text(), QStringLiteral("   010    9"));
    QCOMPARE(list->List1->item(99)->text(), QStringLiteral("   100    99"));
    QCOMPARE(list->List1->item(100)->text(), QStringLiteral("   101    100"));
    QCOMPARE(list->noteOfRow(99), notes[99]);
}

void TstForm6::pickingShowsTheSelectedNotesInListOrder_data() {
    QTest::addColumn<bool>("byDoubleClick");
    QTest::newRow("show button") << false;
    QTest::newRow("double-click") << true;
}

void TstForm6::pickingShowsTheSelectedNotesInListOrder() {
    QFETCH(bool, byDoubleClick);
    QList<Form1*> notes;
    ShowRecorder recorder;
    for (int i = 0; i < 4; ++i) {
        notes << makeNote(QString::number(i));
        notes.last()->installEventFilter(&recorder);
    }
    Form6* list = openList();
    // Picked from the bottom up: the notes still come up in list order.
    clickRow(list->List1, 3);
    if (byDoubleClick) {
        clickRow(list->List1, 0, Qt::ControlModifier);
        doubleClickRow(list->List1, 1, Qt::ControlModifier);
    } else {
        clickRow(list->List1, 1, Qt::ControlModifier);
        QTest::mouseClick(list->Image1, Qt::LeftButton);
    }
    const QList<QObject*> expected = byDoubleClick ? QList<QObject*>({notes[0], notes[1], notes[3]})
                                                   : QList<QObject*>({notes[1], notes[3]});
    QCOMPARE(recorder.shown, expected);
    QVERIFY(!notes[2]->isVisible());
    QVERIFY(!Form6::instance());
    QTRY_COMPARE(CurrentNoteIndex, Forms::indexOf(notes[3]));
}

void TstForm6::windowIsTopmostAndCentred() {
    // On top even while notes on top is off.
    Form6* list = openList();
    QVERIFY(list->isVisible());
    QVERIFY(windowops::isTopmost(list));
    QCOMPARE(list->size(), QSize(265, 190));
    QCOMPARE(list->geometry().center(), list->screen()->geometry().center());
}

void TstForm6::singleInstanceBuiltAfreshAtEachOpening() {
    makeNote(QStringLiteral("a"));
    Form6* list = openList();
    const int count = Forms::Count();
    makeNote(QStringLiteral("b"));
    Form6::showList();
    QCOMPARE(Form6::instance(), list);
    QCOMPARE(Forms::Count(), count + 1);  // the new note only

    list->Unload();
    QVERIFY(!Form6::instance());
    Form6* again = openList();
    QVERIFY(again && again != list);
    QCOMPARE(again->List1->count(), 2);
}

void TstForm6::noteUnloadedWhileTheListIsOpen_data() {
    QTest::addColumn<bool>("deleted");
    QTest::newRow("unloaded") << false;
    QTest::newRow("unloaded and deleted") << true;
}

void TstForm6::noteUnloadedWhileTheListIsOpen() {
    QFETCH(bool, deleted);
    Form1* first = makeNote(QStringLiteral("1"));
    QPointer<Form1> second = makeNote(QStringLiteral("2"));
    Form1* third = makeNote(QStringLiteral("3"));
    Form6* list = openList();
    list->List1->selectAll();

    second->Unload();
    if (deleted) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(second.isNull(), deleted);
    QVERIFY(!list->noteOfRow(1));

    QTest::mouseClick(list->Image1, Qt::LeftButton);
    QVERIFY(first->isVisible());
    QVERIFY(third->isVisible());
    if (second) QVERIFY(!second->isVisible());
    QVERIFY(!Form6::instance());
}

QTEST_MAIN(TstForm6)
#include "tst_form6.moc"
