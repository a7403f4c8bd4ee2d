#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QPainter>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QWindow>

#include "programfixture.h"
#include "text/gbk.h"

#include "desktop/windowops.h"
#include "note/framecontrols.h"
#include "platform/units.h"
#include "richtext/richtextbox.h"
#include "store/values.h"

namespace {

void resize(NoteWindow* note, int width, int height) {
    note->moveTwips(note->note().left, note->note().top, width, height);
}

QList<int> placeAndSize(const NoteWindow* note) {
    return {note->note().left, note->note().top, note->note().width, note->note().height};
}

QDateTime at(int hour, int minute, int second = 0) {
    return QDateTime(QDate(2027, 1, 31), QTime(hour, minute, second));
}

}  // namespace

class TstNote : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void createNoteStampsIt();
    void screenReadersSeeButtonsTheyCanPress();
    void aClickActsOnTheButtonDrawnOnTop();
    void createNoteFollowsNotesOnTop();
    void theCurrentNoteIsTheOneActivatedLast();
    void firstLayoutPutsTheControlsInPlace();
    void sizeClampsAndTheLockedHeight();
    void twipsSurviveTheRoundingToPixels();
    void everyPictureRendersWithoutWarnings();
    void offScreenNoteShowsOnScreenAndKeepsItsPlace();
    void windowManagerPlacesAreSavedAsTheUserMakesThem();
    void leftGripPastTheMinimumPushesTheRightEdge();
    void anyMouseButtonResizesByGrip();
    void windowManagerCloseKeepsTheNote();
    void oneTimeReminderRingsOnceWithSoundUntilClosed();
    void repeatingReminderRingsEachIntervalWithinTheHour();
    void withoutTheSoundSwitchTheAlarmNeitherPlaysNorBlinks();
    void clipboardCaptureAppendsAndKeepsTheFormat();
    void keyboardReachesTheTitleStrip();
    void screenReadersSeeTheNoteButNotItsLockedText();
    void aStoreChangeSignalsOnlyWhatReallyChanged();

private:
    NoteWindow* createNote() { return f.program->createNote(); }
    ProgramFixture f;
};

void TstNote::init() {
    f.setUp();
    f.clock.set(QDateTime(QDate(2027, 1, 31), QTime(14, 7, 9)));
    f.program->switches().setNotesOnTop(false);
}

void TstNote::cleanup() {
    f.tearDown();
}

void TstNote::createNoteStampsIt() {
    NoteWindow* note = createNote();
    QCOMPARE(f.program->windows().newest(), note);
    QVERIFY(!note->isVisible());
    QCOMPARE(note->note().created, QStringLiteral("27/01/31 14:7:9"));
    QCOMPARE(note->editor()->text(), QStringLiteral("创建：27/01/31 14:7:9\r\n"));
    // The design place and size stand until the caller changes them.
    const Note design;
    QCOMPARE(placeAndSize(note),
             QList<int>({design.left, design.top, design.width, design.height}));
    QVERIFY(!note->isLocked());
    QCOMPARE(note->entry().lastAlarmMinute(), 0);
    QVERIFY(!note->entry().checksReminder());
}

void TstNote::aClickActsOnTheButtonDrawnOnTop() {
    NoteWindow* note = createNote();
    Note values = note->note();
    values.reminderOn = true;
    note->entry().setValues(values);
    note->show();
    TitleStrip* strip = note->titleStrip();
    QSignalSpy menu(note->menuButton(), &IconButton::clicked);
    QSignalSpy alarm(note->alarmIcon(), &IconButton::clicked);
    QSignalSpy hide(note->hideButton(), &IconButton::clicked);
    QSignalSpy erase(note->deleteButton(), &IconButton::clicked);
    // Where the menu and the alarm overlap, the alarm is on top; where hide and delete do,
    // delete.
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(28, 10));
    QCOMPARE(alarm.size(), 1);
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(195, 10));
    QCOMPARE(erase.size(), 1);
    QCOMPARE(menu.size() + hide.size(), 0);
    // Pressed on one and let go on another: neither.
    QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(210, 10));
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(175, 10));
    QCOMPARE(erase.size() + hide.size(), 1);
    // Locked, the menu and delete buttons take no click.
    values.locked = true;
    values.password = QStringLiteral("pw");
    note->entry().setValues(values);
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(8, 10));
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(210, 10));
    QCOMPARE(menu.size() + erase.size(), 1);
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(175, 10));
    QCOMPARE(hide.size(), 1);
}

void TstNote::screenReadersSeeButtonsTheyCanPress() {
    NoteWindow* note = createNote();
    note->show();
    QAccessibleInterface* hide = QAccessible::queryAccessibleInterface(note->hideButton());
    QVERIFY(hide);
    QCOMPARE(hide->role(), QAccessible::Button);
    QCOMPARE(hide->text(QAccessible::Name), QStringLiteral("隐藏"));
    QCOMPARE(hide->text(QAccessible::Description), QStringLiteral("隐藏帖子"));
    hide->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(!note->isVisible());
    // The text area is named after its first line.
    note->editor()->replaceText(QStringLiteral("买牛奶\r\n打电话"));
    QCOMPARE(QAccessible::queryAccessibleInterface(note->editor())->text(QAccessible::Name),
             QStringLiteral("买牛奶"));
}

void TstNote::createNoteFollowsNotesOnTop() {
    f.program->switches().setNotesOnTop(true);
    NoteWindow* top = createNote();
    QVERIFY(windowops::isTopmost(top));
    f.program->switches().setNotesOnTop(false);
    NoteWindow* normal = createNote();
    QVERIFY(!windowops::isTopmost(normal));
    // A shown note changes band without being hidden.
    normal->show();
    windowops::setTopmost(normal, true);
    QVERIFY(normal->isVisible());
    QVERIFY(windowops::isTopmost(normal));
}

void TstNote::theCurrentNoteIsTheOneActivatedLast() {
    NoteWindow* first = createNote();
    NoteWindow* second = createNote();
    createNote();
    f.program->windows().noteActivated(second);
    QCOMPARE(f.program->currentNote(), second);
    // The same note after the windows before it close; none once it closes.
    f.program->windows().close(first);
    QCOMPARE(f.program->currentNote(), second);
    f.program->windows().close(second);
    QCOMPARE(f.program->currentNote(), nullptr);
}

void TstNote::firstLayoutPutsTheControlsInPlace() {
    NoteWindow* note = createNote();
    QCOMPARE(note->editor()->geometry(), QRect(3, 25, 215, 227));
    QCOMPARE(note->titleLabel()->x(), 72);
    QCOMPARE(note->hideButton()->geometry().x(), 168);
    QCOMPARE(note->deleteButton()->geometry().x(), 192);
    QCOMPARE(note->gripAt(QPoint(19, 250)), notelayout::Bottom);
}

void TstNote::sizeClampsAndTheLockedHeight() {
    NoteWindow* note = createNote();
    note->show();
    resize(note, 3000, 600);
    QTRY_COMPARE(note->note().width, 3345);
    QTRY_COMPARE(note->note().height, 638);
    resize(note, note->note().width, 3000);
    QTRY_COMPARE(note->note().height, 3000);
    Note locked = note->note();
    locked.locked = true;
    note->entry().setValues(locked);
    resize(note, note->note().width, 5000);
    QTRY_COMPARE(note->note().height, 638);
    QCOMPARE(note->height(), units::twipsToPixels(638));
}

void TstNote::twipsSurviveTheRoundingToPixels() {
    NoteWindow* note = createNote();
    note->moveTwips(-7, 1003, 3361, 2000);
    note->show();
    QTest::qWait(20);
    QCOMPARE(note->note().left, -7);
    QCOMPARE(note->note().top, 1003);
    QCOMPARE(note->note().width, 3361);
    QCOMPARE(note->note().height, 2000);
    // A size from outside is taken in pixels.
    note->resize(300, 200);
    QTRY_COMPARE(note->note().width, 4500);
    QCOMPARE(note->note().height, 3000);
}

namespace {
QStringList g_warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg) g_warnings.append(text);
}
}  // namespace

void TstNote::everyPictureRendersWithoutWarnings() {
    g_warnings.clear();
    const QtMessageHandler before = qInstallMessageHandler(collectWarnings);
    const QStringList icons = QDir(QStringLiteral(":/icons")).entryList();
    for (const QString& name : icons) {
        QSvgRenderer svg(QStringLiteral(":/icons/") + name);
        QVERIFY2(svg.isValid(), qPrintable(name));
        for (int size : {16, 22, 24, 32, 48, 64}) {
            QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            svg.render(&painter);
            painter.end();
            bool drawn = false;
            for (int y = 0; y < size && !drawn; ++y)
                for (int x = 0; x < size && !drawn; ++x)
                    drawn = qAlpha(image.pixel(x, y)) > 0;
            QVERIFY2(drawn, qPrintable(name + QStringLiteral(" at ") + QString::number(size)));
        }
    }
    for (int size : {16, 22, 24, 32, 48, 64})
        QCOMPARE(QImage(QStringLiteral(":/appicon/jotpin-%1.png").arg(size)).size(),
                 QSize(size, size));
    qInstallMessageHandler(before);
    QVERIFY(icons.size() >= 12);
    QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join(u'\n')));
}

void TstNote::offScreenNoteShowsOnScreenAndKeepsItsPlace() {
    // Stored on a monitor right of this screen, as a store from a wider desktop has it.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    f.writeStore(gbk::encode(QStringLiteral("[帖子1]\r\nx坐标=%1\r\ny坐标=1500\r\n"
                                            "[初始值]\r\n窗体数目=1\r\n")
                                 .arg((screen.right() + 500) * 15)));
    f.program->startUp();
    NoteWindow* note = f.note(1);
    QTRY_VERIFY(note->isVisible());
    QVERIFY(screen.contains(note->geometry()));
    QCOMPARE(note->x(), screen.right() + 1 - note->width());
    note->editor()->replaceText(QStringLiteral("changed"));
    QVERIFY(f.program->saveAll());
    QCOMPARE(f.storedValue(store::keys::noteSection(1), store::keys::kLeft),
             QString::number((screen.right() + 500) * 15));
}

namespace {

// The window manager puts the window there and says so, as after an Alt+drag.
void placeFromWindowManager(NoteWindow* note, const QRect& place) {
    note->windowHandle()->setGeometry(place);
    QTRY_COMPARE(note->geometry(), place);
}

}  // namespace

void TstNote::windowManagerPlacesAreSavedAsTheUserMakesThem() {
    NoteWindow* note = createNote();
    note->moveTwips(1507, 1500, 4500, 3000);  // shown at 100,100
    note->show();
    QVERIFY(QTest::qWaitForWindowExposed(note));
    // A new window nobody touched yet: the manager's own place and size (sway centres it and
    // gives it its smallest floating size) are not the user's, nor is that size when it comes
    // again with the next move.
    placeFromWindowManager(note, QRect(300, 300, 320, 220));
    QCOMPARE(placeAndSize(note), QList<int>({1507, 1500, 4500, 3000}));
    QTest::mouseClick(note->titleLabel(), Qt::LeftButton, {}, QPoint(10, 5));
    placeFromWindowManager(note, QRect(400, 200, 320, 220));
    QCOMPARE(placeAndSize(note), QList<int>({6000, 3000, 4500, 3000}));
    placeFromWindowManager(note, QRect(400, 200, 330, 230));
    QCOMPARE(placeAndSize(note), QList<int>({6000, 3000, 4950, 3450}));
    // Back where the stored twips put it: they stay exactly.
    note->moveTwips(1507, 1500, 4950, 3450);
    placeFromWindowManager(note, QRect(100, 100, 330, 230));
    QCOMPARE(placeAndSize(note), QList<int>({1507, 1500, 4950, 3450}));
}

void TstNote::leftGripPastTheMinimumPushesTheRightEdge() {
    NoteWindow* note = createNote();
    note->moveTwips(1500, 1500, 4000, 3000);
    note->resizeByGrip(0, QPoint(100, 100), QPoint(200, 100));  // 1500 twips to the right
    QCOMPARE(note->note().left, 3000);
    QCOMPARE(note->note().width, 3345);
    QVERIFY(note->note().left + note->note().width > 1500 + 4000);
    // A drag that would give a negative size is refused.
    note->resizeByGrip(3, QPoint(0, 0), QPoint(0, -1000));
    QCOMPARE(note->note().height, 3000);
}

namespace {

// Presses `button` at `at` in `widget` and drags it by `travel`, still held; whether that
// started a resize.
bool pressAndDrag(QWidget* widget, const NoteWindow* note, Qt::MouseButton button, QPoint at,
                  QPoint travel) {
    QCursor::setPos(widget->mapToGlobal(at));
    QTest::mousePress(widget, button, {}, at);
    const bool resizing = note->isResizing();
    QCursor::setPos(widget->mapToGlobal(at + travel));
    QMouseEvent move(QEvent::MouseMove, at + travel, widget->mapToGlobal(QPointF(at + travel)),
                     Qt::NoButton, button, {});
    QApplication::sendEvent(widget, &move);
    return resizing;
}

}  // namespace

void TstNote::anyMouseButtonResizesByGrip() {
    NoteWindow* note = createNote();
    note->moveTwips(1500, 1500, 4000, 3000);
    note->show();
    QVERIFY(QTest::qWaitForWindowExposed(note));
    // Right edge, on the bare frame, with the right button.
    const QPoint edge(note->width() - 3, 50);
    QVERIFY(pressAndDrag(note, note, Qt::RightButton, edge, QPoint(20, 0)));
    QCOMPARE(note->note().width, 4300);
    QTest::mouseRelease(note, Qt::RightButton, {}, edge + QPoint(20, 0));
    QVERIFY(!note->isResizing());
    QCOMPARE(note->note().width, 4300);  // the release adds no travel of its own here

    // Bottom edge, where the grip lies over the text: the press resizes, the text sees none.
    QWidget* text = note->editor()->viewport();
    const QPoint bottom = text->mapFrom(note, QPoint(100, note->height() - 4));
    QVERIFY(text->rect().contains(bottom));
    const QString before = note->editor()->toPlainText();
    QVERIFY(pressAndDrag(text, note, Qt::LeftButton, bottom, QPoint(0, 10)));
    QTest::mouseRelease(text, Qt::LeftButton, {}, bottom + QPoint(0, 10));
    QVERIFY(!note->isResizing());
    QCOMPARE(note->note().height, 3150);
    QCOMPARE(note->editor()->toPlainText(), before);
}

void TstNote::windowManagerCloseKeepsTheNote() {
    NoteWindow* note = createNote();
    note->show();
    QVERIFY(!note->close());
    QVERIFY(f.program->windows().isOpen(note));
    QVERIFY(note->isVisible());
}

// A hidden note with a reminder for today, armed as the load leaves it.
NoteWindow* armed(Application& program, const QString& repeat) {
    NoteWindow* note = program.createNote();
    Note value = note->note();
    value.reminder = store::toReminder(QStringLiteral("2027年1月31日*14:30**") + repeat);
    value.reminderOn = true;
    value.soundPath = QStringLiteral("/sounds/bell.wav");
    note->entry().setValues(value);
    note->entry().forgetLastAlarm();
    note->entry().setReminderChecking(true);
    return note;
}

const QStringList kPlayBell = {QStringLiteral("play /sounds/bell.wav")};

void TstNote::oneTimeReminderRingsOnceWithSoundUntilClosed() {
    NoteWindow* note = armed(*f.program, QStringLiteral("00"));
    f.program->ticks().tick(at(14, 29, 59), true);
    QVERIFY(!note->isVisible());
    QVERIFY(f.sound.calls.isEmpty());

    f.program->ticks().tick(at(14, 30), true);
    QVERIFY(note->isVisible());
    QVERIFY(windowops::isTopmost(note));
    QCOMPARE(f.sound.calls, kPlayBell);
    QCOMPARE(note->note().soundPath, QString());  // played once, then forgotten
    // The blink: the small frame, changing every half second.
    QCOMPARE(note->alarmIcon()->geometry(), QRect(27, 1, 17, 17));
    const QImage first = note->alarmIcon()->pixmap().toImage();
    f.program->ticks().tick(at(14, 30), false);
    QVERIFY(note->alarmIcon()->pixmap().toImage() != first);

    // Every later second brings it back, without sound, also past the hour.
    note->hide();
    f.program->ticks().tick(at(15, 1, 7), true);
    QVERIFY(note->isVisible());
    QCOMPARE(f.sound.calls.size(), 1);

    note->closeAlarm(false);
    QCOMPARE(f.sound.calls.last(), QStringLiteral("stop"));
    QVERIFY(!note->note().reminderOn);
    QVERIFY(!note->alarmIcon()->isVisible());
    QVERIFY(!windowops::isTopmost(note));
    note->hide();
    f.program->ticks().tick(at(15, 2), true);
    QVERIFY(!note->isVisible());
    // The title clock goes on after a one-time alarm.
    note->show();
    f.program->ticks().tick(at(15, 2, 1), true);
    QCOMPARE(note->titleLabel()->text(), QStringLiteral("01/31 15:2:1"));
}

void TstNote::repeatingReminderRingsEachIntervalWithinTheHour() {
    NoteWindow* note = armed(*f.program, QStringLiteral("10"));
    QList<QTime> rang;
    for (QDateTime now = at(14, 29); now <= at(15, 20); now = now.addSecs(1)) {
        const qsizetype before = f.sound.calls.size();
        f.program->ticks().tick(now, true);
        if (f.sound.calls.size() > before) rang.append(now.time());
    }
    QCOMPARE(rang, (QList<QTime>{QTime(14, 30), QTime(14, 40), QTime(14, 50)}));
    QCOMPARE(note->note().soundPath, QStringLiteral("/sounds/bell.wav"));

    // Closed, it stays armed with the icon at rest.
    note->closeAlarm(false);
    QVERIFY(note->note().reminderOn);
    QVERIFY(note->entry().checksReminder());
    QCOMPARE(note->alarmIcon()->geometry(), QRect(24, -2, 24, 24));
}

void TstNote::withoutTheSoundSwitchTheAlarmNeitherPlaysNorBlinks() {
    f.program->switches().setReminderSound(false);
    NoteWindow* note = armed(*f.program, QStringLiteral("00"));
    f.program->ticks().tick(at(14, 30), true);
    QVERIFY(note->isVisible());
    QVERIFY(windowops::isTopmost(note));
    QVERIFY(f.sound.calls.isEmpty());
    QCOMPARE(note->alarmBlink(), NoteWindow::AlarmBlink::Off);
    QCOMPARE(note->alarmIcon()->geometry(), QRect(24, -2, 24, 24));
}

void TstNote::clipboardCaptureAppendsAndKeepsTheFormat() {
    NoteWindow* note = createNote();
    RichTextBox* text = note->editor();
    text->replaceText(QStringLiteral("plain "));
    QTextCursor cursor(text->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText(QStringLiteral("bold"), bold);
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    text->document()->addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("p")), picture);
    QTextImageFormat image;
    image.setName(QStringLiteral("p"));
    cursor.insertImage(image);

    note->entry().setClipboardCapture(true);
    QClipboard* clipboard = QGuiApplication::clipboard();
    for (const QString& copied : {QStringLiteral("abc"), QStringLiteral("abc"), QStringLiteral("x"),
                                  QStringLiteral("abc")}) {
        clipboard->setText(copied);
        f.program->ticks().tick(at(9, 0), false);
    }
    // Each new text on a line of its own.
    QCOMPARE(text->text(), QStringLiteral("plain bold \r\nabc\r\nx\r\nabc"));
    QTextCursor inBold(text->document());
    inBold.setPosition(8);
    QVERIFY(inBold.charFormat().fontWeight() > QFont::Medium);
    inBold.setPosition(11);
    QVERIFY(inBold.charFormat().isImageFormat());
}

void TstNote::keyboardReachesTheTitleStrip() {
    NoteWindow* note = createNote();
    note->show();
    note->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(note));
    RichTextBox* text = note->editor();
    // Activated by a click or a tool, a note starts in its text, not on its menu button.
    QVERIFY(text->hasFocus());
    QTest::keyClick(text, Qt::Key_Tab);
    QVERIFY(text->hasFocus());
    QVERIFY(text->text().endsWith(u'\t'));  // Tab in the text types a tab
    QTest::keyClick(text, Qt::Key_Tab, Qt::ControlModifier);
    QVERIFY(note->menuButton()->hasFocus());
    QTest::keyClick(note->titleStrip(), Qt::Key_Tab);  // alarm and unlock are hidden
    QVERIFY(note->hideButton()->hasFocus());
    QTest::keyClick(note->titleStrip(), Qt::Key_Tab, Qt::ControlModifier);
    QVERIFY(text->hasFocus());
    QTest::keyClick(text, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(note->deleteButton()->hasFocus());
    // The strip is a cycle both ways: Tab never drops into the text, where it would type.
    QTest::keyClick(note->titleStrip(), Qt::Key_Tab);
    QVERIFY(note->menuButton()->hasFocus());
    QTest::keyClick(note->titleStrip(), Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(note->deleteButton()->hasFocus());
    QTest::keyClick(note->titleStrip(), Qt::Key_Escape);
    QVERIFY(text->hasFocus());
    QCOMPARE(text->text().count(u'\t'), 1);
    QTest::keyClick(text, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    // The note's keys act from the strip too: F6 hides.
    QTest::keyClick(note->titleStrip(), Qt::Key_F6);
    QVERIFY(!note->isVisible());

    // Locked, the strip's only buttons that act are unlock and hide; Enter presses.
    NoteWindow* secret = createNote();
    Note locked = secret->note();
    locked.locked = true;
    locked.password = QStringLiteral("pw");
    secret->entry().setValues(locked);
    secret->show();
    secret->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(secret));
    secret->focusTitleStrip();
    QVERIFY(secret->unlockButton()->hasFocus());
    f.prompts.queueInput(QStringLiteral("pw"));
    QTest::keyClick(secret->titleStrip(), Qt::Key_Return);
    QVERIFY(!secret->isLocked());
}

void TstNote::screenReadersSeeTheNoteButNotItsLockedText() {
    NoteWindow* note = createNote();
    note->show();
    note->editor()->replaceText(QStringLiteral("买牛奶\r\nPIN 4321"));
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(note);
    QCOMPARE(window->role(), QAccessible::Window);
    QCOMPARE(window->text(QAccessible::Name), QStringLiteral("帖子：买牛奶"));
    const auto childObjects = [window] {
        QList<QObject*> objects;
        for (int i = 0; i < window->childCount(); ++i) {
            objects << window->child(i)->object();
            if (window->indexOfChild(window->child(i)) != i) return QList<QObject*>();
        }
        return objects;
    };
    QVERIFY(childObjects().contains(note->editor()));
    QAccessibleInterface* clock = QAccessible::queryAccessibleInterface(note->titleLabel());
    QCOMPARE(clock->role(), QAccessible::StaticText);
    note->titleLabel()->showTime(QStringLiteral("01/31 14:7:9"));
    QCOMPARE(clock->text(QAccessible::Name), QStringLiteral("时钟 01/31 14:7:9"));
    QCOMPARE(clock->text(QAccessible::Description),
             QStringLiteral("本贴创建时间：") + note->note().created);
    // The text's interface is asked for before the lock: the lock must not leave it readable.
    QVERIFY(QAccessible::queryAccessibleInterface(note->editor())->textInterface());

    Note locked = note->note();
    locked.locked = true;
    locked.password = QStringLiteral("pw");
    note->entry().setValues(locked);
    QVERIFY(!window->text(QAccessible::Name).contains(QStringLiteral("买牛奶")));
    QVERIFY(!childObjects().contains(note->editor()));
    QVERIFY(childObjects().contains(note->unlockButton()));
    QAccessibleInterface* hidden = QAccessible::queryAccessibleInterface(note->editor());
    QVERIFY(!hidden->textInterface());
    QVERIFY(hidden->text(QAccessible::Name).isEmpty());
    QVERIFY(hidden->text(QAccessible::Value).isEmpty());

    locked.locked = false;
    note->entry().setValues(locked);
    QVERIFY(childObjects().contains(note->editor()));
    QAccessibleTextInterface* text =
        QAccessible::queryAccessibleInterface(note->editor())->textInterface();
    QVERIFY(text);
    QVERIFY(text->text(0, text->characterCount()).contains(QStringLiteral("PIN 4321")));
}

void TstNote::aStoreChangeSignalsOnlyWhatReallyChanged() {
    NoteEntry entry(1);
    NoteWindow note(entry);
    note.show();
    QVERIFY(QTest::qWaitForWindowExposed(&note));
    QSignalSpy changed(&entry, &NoteEntry::changed);
    QSignalSpy contentChanged(&entry, &NoteEntry::contentChanged);
    // Another machine's version, as merged: what it does not change is no change here.
    NoteChange same;
    same.values = note.note();
    note.apply(same);
    QCOMPARE(changed.size(), 0);
    NoteChange recoloured = same;
    recoloured.values->colour = QColor(Qt::cyan);
    note.apply(recoloured);
    QCOMPARE(changed.size(), 1);
    // A new text is one change, however the editor builds it.
    NoteChange text;
    text.text = NoteText{NoteText::Kind::Rtf, "{\\rtf1 one\\par two\\par three}", {}};
    note.apply(text);
    QCOMPARE(contentChanged.size(), 1);
    QCOMPARE(changed.size(), 2);
}

QTEST_MAIN(TstNote)
#include "tst_note.moc"
