#include "text/textfile.h"

#include <QStringDecoder>
#include <algorithm>

#include "text/gbk.h"

namespace textfile {

bool looksLikeText(QByteArrayView bytes) {
    return std::none_of(bytes.begin(), bytes.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f';
    });
}

QString decode(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? gbk::decode(bytes) : text;
}

}  // namespace textfile
