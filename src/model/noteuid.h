#pragma once
// A note's identity across machines and renumbering: 16 hexadecimal digits, kept in the store
// beside the creation time it was written with. A note made here gets a random one; a note
// that a store gives none gets one derived from what every machine reads of it alike, so that
// two machines reading the same store know its notes by the same identities.

#include <QByteArrayView>
#include <QString>

namespace noteuid {

// A new identity, for a note made here.
QString random();

// The identity derived from these bytes: the same on every machine.
QString derived(QByteArrayView from);

// True for 16 hexadecimal digits in lower case.
bool isValid(QStringView uid);

}  // namespace noteuid
