#pragma once
// What a note keeps: everything the store holds for it, as plain values. The note window shows
// one of these and reports its changes; the store reads and writes them.

#include <QColor>
#include <QString>
#include <optional>

#include "model/reminder.h"

struct Note {
    // The colour of a note that was never given one: light yellow.
    static inline const QColor kDesignColour = QColor(255, 255, 128);

    // Place and size of the window in twips; a note nobody moved stands here.
    int left = 11235;
    int top = 405;
    int width = 3345;
    int height = 3825;
    QColor colour = kDesignColour;
    // kMinOpacity .. 255 (opaque); unset for a note never given one, which is opaque.
    std::optional<int> opacity;
    // The faintest a note gets: 10 %. Fainter, a note is lost on the desktop.
    static constexpr int kMinOpacity = 26;
    // When the note was made, as the text shown in its tool tip and kept in the store.
    QString created;
    // Its identity across machines (noteuid); empty until it is given one.
    QString uid;
    // The reminder, and whether it is switched on.
    Reminder reminder;
    bool reminderOn = false;
    // Full path of the alarm sound; empty for a silent alarm.
    QString soundPath;
    // The lock password; empty for none. A locked note hides its text and keeps only its title
    // strip; heightBeforeLock (twips) is the height it gets back when unlocked, unset where the
    // store holds none.
    QString password;
    bool locked = false;
    std::optional<qint32> heightBeforeLock;
    bool visible = true;

    int effectiveOpacity() const { return opacity.value_or(255); }
    friend bool operator==(const Note&, const Note&) = default;
};
