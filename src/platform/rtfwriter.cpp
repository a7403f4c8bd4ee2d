#include <QTextDocument>

#include "platform/rtf.h"

namespace rtf {

QByteArray write(const QTextDocument& doc, int from, int to) {
    Q_UNUSED(doc);
    Q_UNUSED(from);
    Q_UNUSED(to);
    return QByteArrayLiteral("{\\rtf1\\ansi\\ansicpg936\\deff0\r\n}\r\n");
}

}  // namespace rtf
