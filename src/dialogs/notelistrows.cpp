#include "dialogs/notelistrows.h"

namespace notelist {

bool isNoteTag(const QString& tag) {
    return !tag.isEmpty() && tag != QLatin1String("Jotpin");
}

QString rowText(int number, const QString& created) {
    return QStringLiteral("   ") + QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0')) +
           QStringLiteral("    ") + created;
}

}  // namespace notelist
