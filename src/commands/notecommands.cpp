#include "commands/notecommands.h"

#include "desktop/prompts.h"
#include "desktop/screen.h"
#include "desktop/windowops.h"
#include "model/programswitches.h"
#include "note/notelayout.h"
#include "note/notewindow.h"
#include "notes/notelist.h"
#include "platform/units.h"
#include "richtext/richtextbox.h"
#include "store/notestore.h"

namespace commands {

namespace {

const QString kDeleteQuestion = QStringLiteral("你确定要删除该贴吗？");
const QString kDeleteTitle = QStringLiteral("删除帖子");

}  // namespace

namespace {

// The places (left, top in twips) of the notes on screen but `except`.
QList<QPoint> notePlaces(const NoteList& notes, const NoteWindow* except) {
    QList<QPoint> places;
    for (const NoteEntry* entry : notes.entries()) {
        if (entry != &except->entry() && entry->values().visible)
            places.append({entry->values().left, entry->values().top});
    }
    return places;
}

NoteWindow* showNewNote(CommandHost& host, NoteWindow* note, QPoint place) {
    const QPoint free =
        notelayout::freePlace(place, NoteWindow::kTitleStripHeight * units::kTwipsPerPixel,
                              screen::heightTwips(), notePlaces(host.notes(), note));
    note->moveTwips(free.x(), free.y(), note->note().width, note->note().height);
    note->show();
    // Asked for: openbox gives no focus to a new window that wants no taskbar button.
    focusNote(note);
    return note;
}

}  // namespace

NoteWindow* newNote(CommandHost& host) {
    NoteWindow* note = host.createNote();
    return showNewNote(host, note,
                       QPoint(screen::widthTwips() - note->note().width, note->note().top));
}

NoteWindow* newNoteInPlace(CommandHost& host) {
    NoteWindow* note = host.createNote();
    return showNewNote(host, note, QPoint(note->note().left, note->note().top));
}

void focusNote(NoteWindow* note) {
    if (!note) return;
    note->raise();
    note->activateWindow();
    if (note->editor()->isVisible()) note->editor()->setFocus();
}

void deleteNoteAsked(CommandHost& host, NoteWindow* note) {
    if (!note || note->isLocked()) return;
    bool asked = false;
    {
        // The question must not stand behind the note.
        const windowops::TopmostPause pause(note, host.switches().notesOnTop());
        asked =
            Prompts::instance().askOkCancel(kDeleteQuestion, kDeleteTitle) == Prompts::Answer::Ok;
    }
    if (!asked) {
        host.applyTopmostToAll();
        focusNote(host.currentNote());
        return;
    }
    // The file that holds this very note: a position among the open windows may by now be
    // another note's number.
    const int stored = host.storedNumber(note);
    host.closeNote(note);
    if (stored > 0) host.removeContentFile(stored);
    host.applyTopmostToAll();
    // The file goes at once, in one step with the renumbering of the notes after it.
    host.saveNow();
}

void deleteCurrentNote(CommandHost& host) {
    NoteWindow* note = host.currentNote();
    if (!note) return;
    if (Prompts::instance().askOkCancel(kDeleteQuestion, kDeleteTitle) == Prompts::Answer::Ok)
        host.closeNote(note);
}

void lockNote(CommandHost& host) {
    NoteWindow* note = host.currentNote();
    if (!note) return;
    const QString title = QStringLiteral("加锁");
    // A password the store cannot give back would lock the note for good at the restart.
    const QString password =
        Prompts::instance()
            .passwordBox(QStringLiteral("请设置解锁密码："), title,
                         [](const QString& answer) {
                             const QString trouble = store::passwordTrouble(answer);
                             return answer.isEmpty() || trouble.isEmpty()
                                        ? QString()
                                        : trouble + QStringLiteral("请换一个密码。");
                         })
            .value_or(QString());
    if (password.isEmpty()) return;
    // Typed where nobody sees it: a typing mistake would lock the note for good.
    const auto again = Prompts::instance().passwordBox(
        QStringLiteral("请再输入一次密码："), title, [&](const QString& answer) {
            return answer == password ? QString() : QStringLiteral("两次输入的密码不一样。");
        });
    if (!again) return;
    Note locked = note->note();
    locked.password = password;
    locked.locked = true;
    locked.heightBeforeLock = locked.height;
    locked.height = notelayout::kMinHeightTwips;
    note->entry().setValues(locked);
}

void unlockNote(NoteWindow* note) {
    if (!note || !note->isLocked()) return;
    const QString password = note->note().password;
    // Cancel is an empty answer: it unlocks a note locked without a password.
    const QString answer =
        Prompts::instance()
            .passwordBox(QStringLiteral("请输入解锁密码："), QStringLiteral("解锁"),
                         [&](const QString& typed) {
                             return typed == password ? QString() : QStringLiteral("密码不对");
                         })
            .value_or(QString());
    Note unlocked = note->note();
    if (answer != unlocked.password) return;
    unlocked.password.clear();
    unlocked.locked = false;
    unlocked.height = unlocked.heightBeforeLock.value_or(0);
    note->entry().setValues(unlocked);
}

void setClipboardCapture(CommandHost& host, bool on) {
    if (NoteWindow* note = host.currentNote()) note->entry().setClipboardCapture(on);
}

}  // namespace commands
