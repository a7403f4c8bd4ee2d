#include "dialogs/notelistrows.h"

namespace notelist {

QString rowText(int number, const QString& created) {
    return QStringLiteral("   ") + QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0')) +
           QStringLiteral("    ") + created;
}

}  // namespace notelist
