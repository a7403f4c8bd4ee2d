#include "model/noteuid.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <algorithm>

namespace noteuid {

QString random() {
    return QStringLiteral("%1").arg(QRandomGenerator::system()->generate64(), 16, 16, QChar(u'0'));
}

QString derived(QByteArrayView from) {
    return QString::fromLatin1(
        QCryptographicHash::hash(from, QCryptographicHash::Blake2b_256).left(8).toHex());
}

bool isValid(QStringView uid) {
    return uid.size() == 16 && std::all_of(uid.begin(), uid.end(), [](QChar c) {
               return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
           });
}

}  // namespace noteuid
