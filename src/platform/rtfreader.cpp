#include <QTextDocument>

#include "platform/rtf.h"

namespace rtf {

bool read(QByteArrayView bytes, QTextDocument* doc, QString* error) {
    if (!bytes.startsWith("{\\rtf")) {
        if (error) *error = QStringLiteral("not an RTF document");
        return false;
    }
    doc->clear();
    return true;
}

}  // namespace rtf
