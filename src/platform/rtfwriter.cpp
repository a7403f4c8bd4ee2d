#include <QTextDocument>

#include "platform/rtf.h"

namespace rtf {

QByteArray write(const QTextDocument& doc) {
    Q_UNUSED(doc);
    return QByteArrayLiteral("{\\rtf1\\ansi\\ansicpg936\\deff0\r\n}\r\n");
}

}  // namespace rtf
