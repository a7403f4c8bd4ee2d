#pragma once
// The value encodings of the settings file. A reader that gets std::nullopt does not apply the
// value: the property keeps what it had.

#include <QColor>
#include <QString>
#include <optional>

#include "model/reminder.h"

namespace store {

// Decimal text to a 16-bit signed integer: optional sign, digits, optional fraction (rounded
// to the nearest integer, a half to the even neighbour). Blanks around are allowed. Not a
// number, or outside -32768..32767 after rounding: nullopt.
std::optional<qint16> toInt16(QStringView text);
// The same in 32 bits, for window places: a second screen lies beyond 32,767 twips.
std::optional<qint32> toInt32(QStringView text);

// "True"/"False" in any letter case, or a number (0 is False, any other True).
std::optional<bool> toBool(QStringView text);
QString fromBool(bool value);  // "True" or "False"

// A colour stored as the decimal value of &H00BBGGRR (red in the low byte).
std::optional<QColor> toColour(QStringView text);
QString fromColour(const QColor& colour);
QColor colourFromBgr(quint32 bgr);
quint32 bgrFromColour(const QColor& colour);

}  // namespace store

namespace store {

// The stored alarm sound path as the note takes it: cut after the extension of the file name
// (its last "." and three characters). A file name without "." is cut as the Windows program
// does: after the first "." of the whole path and three characters, or to three characters.
QString cutSoundPath(const QString& stored);

// The stored opacity: its first three characters as a number 0..255. Anything else (no
// number, a value from 256 to 999, a negative one) leaves the note opaque: 255.
int opacityFromStored(const QString& stored);

// A reminder stored as "<long date>*hh:mm**NN": the long date "2026年12月7日", the time of
// day, the repeat interval in minutes (read as a 16-bit number). Split at the first "*" and the
// first "**"; a part that does not read as its form is left unset, and the text is kept.
Reminder toReminder(const QString& stored);
// A reminder read from a store as it was read; one set in the program in the form above, the
// interval with two digits. Empty for none.
QString fromReminder(const Reminder& reminder);

}  // namespace store
