#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "app/programmenus.h"
#include "programfixture.h"
#include "richtext/richtextbox.h"

#include "desktop/windowops.h"
#include "dialogs/notelistdialog.h"
#include "dialogs/notelistrows.h"
#include "note/framecontrols.h"

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

}  // namespace

class TstNoteList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void rowText_data();
    void rowText();
    void closingShowsNothing_data();
    void closingShowsNothing();
    void rowsMapToTheirNotesPastOtherWindows();
    void numberingPastNinetyNine();
    void pickingShowsTheSelectedNotesInListOrder_data();
    void pickingShowsTheSelectedNotesInListOrder();
    void windowIsTopmostAndCentred();
    void singleInstanceBuiltAfreshAtEachOpening();
    void noteUnloadedWhileTheListIsOpen_data();
    void noteUnloadedWhileTheListIsOpen();
    void rowsTellNotesApartAndTheFirstIsSelected();
    void previewMarksTheHit_data();
    void previewMarksTheHit();
    void searchKeepsTheNotesFoundAndEnterSelectsTheMatch();
    void searchNeverReadsALockedNote();

private:
    NoteWindow* makeNote(const QString& created) {
        NoteWindow* note = f.program->createNote();
        note->entry().state().setIdentity(created, note->entry().state().values().uid);
        return note;
    }
    NoteListDialog* openList() {
        f.program->dialogs().showNoteList();
        NoteListDialog* list = f.program->dialogs().noteList();
        if (list) (void)QTest::qWaitForWindowExposed(list);
        return list;
    }
    // A dialog of the program: an open window that is no note.
    QWidget* openDialog() {
        auto* dialog = new QWidget(nullptr, Qt::Tool);
        f.program->windows().add(dialog);
        return dialog;
    }
    OpenWindows& windows() { return f.program->windows(); }

    ProgramFixture f;
};

void TstNoteList::initTestCase() {
    g_defaultHandler = qInstallMessageHandler(dropRaiseWarnings);
}

void TstNoteList::init() {
    f.setUp();
    f.program->switches().setNotesOnTop(false);
}

void TstNoteList::cleanup() {
    f.tearDown();
}

void TstNoteList::rowText_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("created");
    QTest::addColumn<QString>("expected");
    const QString t = QStringLiteral("26/12/06 9:5:3");
    QTest::newRow("1") << 1 << t << "   001    26/12/06 9:5:3";
    QTest::newRow("1000") << 1000 << t << "   1000    26/12/06 9:5:3";
    QTest::newRow("empty time") << 2 << QString() << "   002    ";
}

void TstNoteList::rowText() {
    QFETCH(int, number);
    QFETCH(QString, created);
    QFETCH(QString, expected);
    QCOMPARE(notelist::rowText(number, created), expected);
}

void TstNoteList::closingShowsNothing_data() {
    QTest::addColumn<int>("notes");
    QTest::addColumn<bool>("rowSelected");
    QTest::addColumn<bool>("closeButton");
    QTest::newRow("show button, no notes") << 0 << false << false;
    QTest::newRow("show button, selection cleared") << 2 << false << false;
    QTest::newRow("close button, row selected") << 2 << true << true;
}

void TstNoteList::closingShowsNothing() {
    QFETCH(int, notes);
    QFETCH(bool, rowSelected);
    QFETCH(bool, closeButton);
    for (int i = 0; i < notes; ++i)
        makeNote(QString::number(i));
    NoteListDialog* list = openList();
    QCOMPARE(list->list->count(), notes);
    if (rowSelected)
        clickRow(list->list, 0);
    else
        list->list->clearSelection();
    QTest::mouseClick(closeButton ? list->closeButton : list->showButton, Qt::LeftButton);
    QVERIFY(!f.program->dialogs().noteList());
    QVERIFY(list->isHidden());
    QCOMPARE(windows().indexOf(list), -1);
    for (QWidget* window : windows().windows())
        QVERIFY(!window->isVisible());
}

void TstNoteList::rowsMapToTheirNotesPastOtherWindows() {
    NoteWindow* first = makeNote(QStringLiteral("26/12/06 9:5:3"));
    first->show();
    QWidget* dialog = openDialog();
    NoteWindow* second = makeNote(QStringLiteral("26/12/07 10:0:0"));
    NoteWindow* third = makeNote(QStringLiteral("26/12/08 23:59:59"));
    QVERIFY(!second->isVisible() && !third->isVisible());

    NoteListDialog* list = openList();
    QCOMPARE(rowTexts(list->list),
             QStringList({"   001    26/12/06 9:5:3", "   002    26/12/07 10:0:0",
                          "   003    26/12/08 23:59:59"}));
    QCOMPARE(list->noteOfRow(0), &first->entry());
    QCOMPARE(list->noteOfRow(1), &second->entry());
    QCOMPARE(list->noteOfRow(2), &third->entry());

    // A hidden note comes up again; the others stay as they were.
    clickRow(list->list, 2);
    QTest::mouseClick(list->showButton, Qt::LeftButton);
    QVERIFY(third->isVisible());
    QVERIFY(!second->isVisible());
    QVERIFY(first->isVisible());
    QVERIFY(!dialog->isVisible());
    QVERIFY(!f.program->dialogs().noteList());
    QTRY_COMPARE(windows().currentNote(), third);
}

void TstNoteList::numberingPastNinetyNine() {
    QList<NoteWindow*> notes;
    for (int i = 0; i < 101; ++i) {
        notes << makeNote(QString::number(i));
        // Dialogs in between do not count.
        if (i % 30 == 0) openDialog();
    }
    NoteListDialog* list = openList();
    QCOMPARE(list->list->count(), 101);
    QCOMPARE(list->list->item(8)->text(), QStringLiteral("   009    8"));
    QCOMPARE(list->list->item(9)->text(), QStringLiteral("   010    9"));
    QCOMPARE(list->list->item(99)->text(), QStringLiteral("   100    99"));
    QCOMPARE(list->list->item(100)->text(), QStringLiteral("   101    100"));
    QCOMPARE(list->noteOfRow(99), &notes[99]->entry());
}

void TstNoteList::pickingShowsTheSelectedNotesInListOrder_data() {
    QTest::addColumn<bool>("byDoubleClick");
    QTest::newRow("show button") << false;
    QTest::newRow("double-click") << true;
}

void TstNoteList::pickingShowsTheSelectedNotesInListOrder() {
    QFETCH(bool, byDoubleClick);
    QList<NoteWindow*> notes;
    ShowRecorder recorder;
    for (int i = 0; i < 4; ++i) {
        notes << makeNote(QString::number(i));
        notes.last()->installEventFilter(&recorder);
    }
    NoteListDialog* list = openList();
    // Picked from the bottom up: the notes still come up in list order.
    clickRow(list->list, 3);
    if (byDoubleClick) {
        clickRow(list->list, 0, Qt::ControlModifier);
        doubleClickRow(list->list, 1, Qt::ControlModifier);
    } else {
        clickRow(list->list, 1, Qt::ControlModifier);
        QTest::mouseClick(list->showButton, Qt::LeftButton);
    }
    const QList<QObject*> expected = byDoubleClick ? QList<QObject*>({notes[0], notes[1], notes[3]})
                                                   : QList<QObject*>({notes[1], notes[3]});
    QCOMPARE(recorder.shown, expected);
    QVERIFY(!notes[2]->isVisible());
    QVERIFY(!f.program->dialogs().noteList());
    QTRY_COMPARE(windows().currentNote(), notes[3]);
}

void TstNoteList::windowIsTopmostAndCentred() {
    // On top even while notes on top is off.
    NoteListDialog* list = openList();
    QVERIFY(list->isVisible());
    QVERIFY(windowops::isTopmost(list));
    QCOMPARE(list->size(), QSize(265, 190));
    QCOMPARE(list->geometry().center(), list->screen()->geometry().center());
}

void TstNoteList::singleInstanceBuiltAfreshAtEachOpening() {
    makeNote(QStringLiteral("a"));
    NoteListDialog* list = openList();
    const qsizetype count = windows().windows().size();
    makeNote(QStringLiteral("b"));
    f.program->dialogs().showNoteList();
    QCOMPARE(f.program->dialogs().noteList(), list);
    QCOMPARE(windows().windows().size(), count + 1);  // the new note only

    windows().close(list);
    QVERIFY(!f.program->dialogs().noteList());
    NoteListDialog* again = openList();
    QVERIFY(again && again != list);
    QCOMPARE(again->list->count(), 2);
}

void TstNoteList::noteUnloadedWhileTheListIsOpen_data() {
    QTest::addColumn<bool>("deleted");
    QTest::newRow("unloaded") << false;
    QTest::newRow("unloaded and deleted") << true;
}

void TstNoteList::noteUnloadedWhileTheListIsOpen() {
    QFETCH(bool, deleted);
    NoteWindow* first = makeNote(QStringLiteral("1"));
    QPointer<NoteWindow> second = makeNote(QStringLiteral("2"));
    NoteWindow* third = makeNote(QStringLiteral("3"));
    NoteListDialog* list = openList();
    list->list->selectAll();

    windows().close(second);
    if (deleted) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(second.isNull(), deleted);
    if (deleted) QVERIFY(!list->noteOfRow(1));

    QTest::mouseClick(list->showButton, Qt::LeftButton);
    QVERIFY(first->isVisible());
    QVERIFY(third->isVisible());
    if (second) QVERIFY(!second->isVisible());
    QVERIFY(!f.program->dialogs().noteList());
}

void TstNoteList::rowsTellNotesApartAndTheFirstIsSelected() {
    NoteWindow* plain = makeNote(QStringLiteral("1"));
    plain->editor()->replaceText(QStringLiteral("创建：26/12/07 10:0:0\r\nshopping\r\nmilk"));
    NoteWindow* locked = makeNote(QStringLiteral("2"));
    locked->editor()->replaceText(QStringLiteral("secret text"));
    Note lock = locked->note();
    lock.locked = true;
    lock.password = QStringLiteral("pw");
    locked->entry().setValues(lock);

    NoteListDialog* list = openList();
    QCOMPARE(list->rowPreview(0).text, QStringLiteral("shopping milk"));
    QVERIFY(!list->rowPreview(1).text.contains(u"secret"));
    QVERIFY(!list->list->item(1)->toolTip().contains(u"secret"));
    QTest::mouseClick(list->showButton, Qt::LeftButton);
    QVERIFY(plain->isVisible());
}

void TstNoteList::previewMarksTheHit_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("marked");
    const QString created = QStringLiteral("创建：26/12/07 10:0:0\r\n");
    QTest::newRow("after the creation line") << created + "shopping\r\n  milk"
                                             << "MILK"
                                             << "shopping milk"
                                             << "milk";
    QTest::newRow("in the creation line") << created + "x"
                                          << "12/07" << created.trimmed() + " x"
                                          << "12/07";
    QTest::newRow("deep in the text") << QString(40, u'a') + "\r\n\r\nthe  target"
                                      << "target"
                                      << "…aaa the target"
                                      << "target";
    QTest::newRow("full width in the text") << "会议ＡＢＣ"
                                            << "abc"
                                            << "会议ＡＢＣ"
                                            << "ＡＢＣ";
}

void TstNoteList::previewMarksTheHit() {
    QFETCH(QString, text);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, marked);
    const std::optional<textsearch::Hit> hit =
        textsearch::firstHit(textsearch::Text(text), textsearch::Query(typed));
    QVERIFY(hit);
    const notelist::MarkedPreview preview = notelist::previewAround(text, *hit);
    QCOMPARE(preview.text, shown);
    QCOMPARE(preview.text.sliced(preview.markStart, preview.markLength), marked);
}

void TstNoteList::searchKeepsTheNotesFoundAndEnterSelectsTheMatch() {
    NoteWindow* pie = makeNote(QStringLiteral("1"));
    pie->editor()->replaceText(QStringLiteral("apple pie"));
    NoteWindow* banana = makeNote(QStringLiteral("2"));
    banana->editor()->replaceText(QStringLiteral("banana split"));
    NoteWindow* tart = makeNote(QStringLiteral("3"));
    tart->editor()->replaceText(QStringLiteral("tart: one Ａｐｐｌｅ, then apple"));
    tart->hide();

    NoteListDialog* list = openList();
    QCOMPARE(QApplication::focusWidget(), list->searchField);
    QTest::keyClicks(list->searchField, QStringLiteral("APPLE"));
    QVERIFY(!list->list->isRowHidden(0));
    QVERIFY(list->list->isRowHidden(1));
    QVERIFY(!list->list->isRowHidden(2));
    QVERIFY(list->list->item(0)->isSelected());
    const notelist::MarkedPreview row = list->rowPreview(2);
    QCOMPARE(row.text.sliced(row.markStart, row.markLength), QStringLiteral("Ａｐｐｌｅ"));

    // A note changed while the list is open is searched as it is now.
    banana->editor()->replaceText(QStringLiteral("banana and apple"));
    QTest::keyClick(list->searchField, Qt::Key_Space);
    QVERIFY(!list->list->isRowHidden(1));
    QTest::keyClick(list->searchField, Qt::Key_Backspace);

    // The arrows move through the rows found, past the hidden ones.
    QTest::keyClick(list->searchField, Qt::Key_Down);
    QTest::keyClick(list->searchField, Qt::Key_Down);
    QVERIFY(list->list->item(2)->isSelected());
    QTest::keyClick(list->searchField, Qt::Key_Return);
    QVERIFY(!f.program->dialogs().noteList());
    QVERIFY(tart->isVisible());
    QCOMPARE(tart->editor()->selectionStart(), 10);
    QCOMPARE(tart->editor()->selectionLength(), 5);

    // Find next goes on from there, as after a find.
    QApplication::setActiveWindow(tart);
    f.program->menus().action(MenuItem::FindNext)->trigger();
    QCOMPARE(tart->editor()->selectionStart(), 22);
    QCOMPARE(tart->editor()->selectionLength(), 5);
}

void TstNoteList::searchNeverReadsALockedNote() {
    NoteWindow* locked = makeNote(QStringLiteral("1"));
    locked->editor()->replaceText(QStringLiteral("secret"));
    Note lock = locked->note();
    lock.locked = true;
    lock.password = QStringLiteral("pw");
    locked->entry().setValues(lock);

    NoteListDialog* list = openList();
    list->search(QStringLiteral("secret"));
    QVERIFY(list->list->isRowHidden(0));
    // What its row shows is all it is found by, and nothing is selected in it.
    list->search(QStringLiteral("加锁"));
    QVERIFY(!list->list->isRowHidden(0));
    QSignalSpy picked(list, &NoteListDialog::notesPicked);
    QTest::keyClick(list->searchField, Qt::Key_Return);
    QCOMPARE(picked.size(), 1);
    QCOMPARE(picked[0][1].toStringList(), QStringList({QString()}));
    QCOMPARE(locked->editor()->selectionLength(), 0);
}

QTEST_MAIN(TstNoteList)
#include "tst_notelist.moc"
