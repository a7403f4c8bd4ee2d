#include "app/notetickdispatcher.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHash>
#include <QRegion>
#include <QSet>
#include <algorithm>

#include "app/notefactory.h"
#include "desktop/sound.h"
#include "desktop/windowops.h"
#include "model/programswitches.h"
#include "note/framecontrols.h"
#include "note/notewindow.h"
#include "notes/notelist.h"
#include "platform/clock.h"
#include "richtext/richtextbox.h"

NoteTickDispatcher::NoteTickDispatcher(const NoteList& notes, NoteFactory& windows,
                                       const ProgramSwitches& switches, QObject* parent)
    : QObject(parent), m_notes(notes), m_windows(windows), m_switches(switches) {
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { m_clipboardStale = true; });
    connect(&m_ticker, &HalfSecondTimer::ticked, this, &NoteTickDispatcher::tick);
}

void NoteTickDispatcher::start() {
    m_ticker.start();
}

namespace {

// Whether two notes or more are shown: only then can one cover another's clock.
bool severalShown(const QList<NoteWindow*>& notes) {
    int shown = 0;
    for (const NoteWindow* note : notes) {
        if (note->isVisible() && ++shown == 2) return true;
    }
    return false;
}

// The shown notes whose title clock lies wholly under notes stacked above them.
QSet<const NoteWindow*> clocksUnderOtherNotes(const QList<NoteWindow*>& notes) {
    QHash<WId, const NoteWindow*> shown;
    for (const NoteWindow* note : notes) {
        if (note->isVisible()) shown.insert(note->internalWinId(), note);
    }
    QSet<const NoteWindow*> covered;
    if (shown.size() < 2) return covered;
    const QList<WId> order = windowops::stackingOrder();
    QRegion above;
    for (auto it = order.crbegin(); it != order.crend(); ++it) {
        const NoteWindow* note = shown.value(*it);
        if (!note) continue;  // other programs' windows count as not covering
        const QRect clock = note->titleLabel()->geometry().translated(note->pos());
        if (QRegion(clock).subtracted(above).isEmpty()) covered.insert(note);
        above += note->geometry();
    }
    return covered;
}

}  // namespace

void NoteTickDispatcher::checkReminders(const QDateTime& now) {
    const bool withSound = m_switches.reminderSound();
    for (NoteEntry* entry : m_notes.entries()) {
        QString sound;
        if (!entry->checksReminder() || !entry->checkReminder(now, withSound, &sound)) continue;
        // In place of any other note's alarm: the notes share one sound.
        if (!sound.isEmpty()) Sound::instance().play(sound);
        m_windows.windowFor(*entry)->showAlarm();
    }
}

void NoteTickDispatcher::tick(const QDateTime& now, bool fullSecond) {
    const QString clock = timetext::titleClock(now);
    const QList<NoteEntry*>& entries = m_notes.entries();
    if (fullSecond) checkReminders(now);
    // Read once per change, not at every tick: each read of text another program holds is a
    // string of round trips to it through the X server.
    const bool capturing = std::any_of(entries.cbegin(), entries.cend(),
                                       [](const NoteEntry* n) { return n->capturesClipboard(); });
    if (capturing && m_clipboardStale) {
        m_clipboardText = QGuiApplication::clipboard()->text();
        m_clipboardStale = false;
    }
    // A note that captures and finds nothing new ends its tick there, its blink too.
    QSet<NoteId> nothingNew;
    for (NoteEntry* entry : entries) {
        if (!entry->capturesClipboard()) continue;
        if (!entry->takesClipboardText(m_clipboardText)) {
            nothingNew.insert(entry->id());
        } else if (NoteWindow* window = m_windows.windowOf(entry->id())) {
            window->editor()->appendText(m_clipboardText);  // the caret stays
        } else {
            entry->appendCaptured(m_clipboardText);
        }
    }
    const QList<NoteWindow*> notes = m_windows.windows();
    // The clock's text changes on the full second only: then the clocks that are seen are set,
    // and on the half second none. The stacking order that tells them is asked for half a
    // second ahead, so that its answer is there when it is needed.
    const QSet<const NoteWindow*> covered =
        fullSecond ? clocksUnderOtherNotes(notes) : QSet<const NoteWindow*>();
    if (!fullSecond && severalShown(notes)) windowops::askStackingOrder();
    for (NoteWindow* note : notes) {
        note->halfSecondTick(clock, fullSecond && !covered.contains(note),
                             !nothingNew.contains(note->id()));
    }
}
