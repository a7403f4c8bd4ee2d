#include "dialogs/notelistrows.h"

#include <algorithm>

namespace notelist {

QString rowText(int number, const QString& created) {
    return QStringLiteral("   ") + QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0')) +
           QStringLiteral("    ") + created;
}

QString preview(const QString& plainText, bool locked) {
    if (locked) return QStringLiteral("（已加锁）");
    QStringView text(plainText);
    if (text.startsWith(u"创建：")) {
        const qsizetype lineEnd = text.indexOf(u'\n');
        text = lineEnd < 0 ? QStringView() : text.sliced(lineEnd + 1);
    }
    // Enough for the widest row; the list elides the rest.
    return text.first(std::min<qsizetype>(text.size(), 300)).toString().simplified();
}

}  // namespace notelist
