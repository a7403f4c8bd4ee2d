#include "platform/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace gbk {
namespace {

bool isAscii(QByteArrayView bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

bool isAscii(QStringView text) {
    for (QChar c : text) {
        if (c.unicode() >= 0x80) return false;
    }
    return true;
}

// Opening an ICU converter is costly next to converting a short value: keep one of each.
QStringEncoder& encoder() {
    thread_local QStringEncoder instance("GBK");
    instance.resetState();
    return instance;
}

QStringDecoder& decoder() {
    thread_local QStringDecoder instance("GBK");
    instance.resetState();
    return instance;
}

}  // namespace

QByteArray encode(QStringView text) {
    if (isAscii(text)) return text.toLatin1();
    // Qt's ICU-backed GBK encoder substitutes "?" for what it cannot map, but holds back a
    // lone surrogate for the next call: replace those first so that every call ends clean.
    QString clean;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool paired = c.isHighSurrogate()
                                ? i + 1 < text.size() && text[i + 1].isLowSurrogate()
                            : c.isLowSurrogate() ? i > 0 && text[i - 1].isHighSurrogate()
                                                 : true;
        if (!paired) {
            if (clean.isNull()) clean = text.toString();
            clean[i] = u'?';
        }
    }
    return encoder().encode(clean.isNull() ? text : QStringView(clean));
}

bool canEncode(QStringView text) {
    if (isAscii(text)) return true;
    return decode(encode(text)) == text;
}

QString decode(QByteArrayView bytes) {
    if (isAscii(bytes)) return QString::fromLatin1(bytes.data(), bytes.size());
    // The decoder keeps a dangling lead byte for a next call that never comes: handle it here.
    qsizetype i = 0;
    while (i + 1 < bytes.size())
        i += isLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    const bool danglingLead =
        i + 1 == bytes.size() && isLeadByte(static_cast<unsigned char>(bytes[i]));
    QString text = decoder().decode(danglingLead ? bytes.first(i) : bytes);
    if (danglingLead) text += QChar(QChar::ReplacementCharacter);
    return text;
}

qsizetype boundaryAtOrBefore(QByteArrayView bytes, qsizetype maxBytes) {
    const qsizetype limit = qMin(maxBytes, bytes.size());
    qsizetype i = 0;
    while (i < limit) {
        const qsizetype step =
            (isLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size()) ? 2 : 1;
        if (i + step > limit) break;
        i += step;
    }
    return i;
}

}  // namespace gbk
