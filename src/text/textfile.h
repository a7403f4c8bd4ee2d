#pragma once
// Plain-text files as people write them on either system: UTF-8 here, GBK from Windows.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace textfile {

// Text a person wrote: no bytes below 0x20 but tab, line breaks and form feed.
bool looksLikeText(QByteArrayView bytes);

// UTF-8 when the bytes are valid UTF-8, otherwise GBK.
QString decode(QByteArrayView bytes);

}  // namespace textfile
