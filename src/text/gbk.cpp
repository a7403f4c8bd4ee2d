#include "text/gbk.h"

#include <QStringEncoder>
#include <algorithm>

#include "text/gbktable.h"

namespace gbk {
namespace {

using namespace table;

constexpr bool isTrailByte(unsigned char c) {
    return c >= kTrailFirst && c <= 0xFE && c != 0x7F;
}

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

// ICU for the rare character the table lacks (a one-way mapping); "?" when ICU has none either.
QByteArray encodeRare(QChar c) {
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder.encode(QStringView(&c, 1));
    return bytes.isEmpty() ? QByteArray("?") : bytes;
}

}  // namespace

QByteArray encode(QStringView text) {
    if (isAscii(text)) return text.toLatin1();
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    char* o = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x80) {
            *o++ = char(c.unicode());
        } else if (c.isSurrogate()) {
            // Outside the BMP nothing is in GBK: one "?" for a pair, as Windows writes it.
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
            *o++ = '?';
        } else if (const std::uint16_t code = kFromUnicode[c.unicode()]; code >= 0x100) {
            *o++ = char(code >> 8);
            *o++ = char(code & 0xFF);
        } else if (code != 0) {
            *o++ = char(code);
        } else {
            const QByteArray rare = encodeRare(c);
            const qsizetype at = o - out.data();
            out.resize(out.size() + rare.size());
            o = out.data() + at;
            o = std::copy(rare.begin(), rare.end(), o);
        }
    }
    out.truncate(o - out.data());
    return out;
}

bool canEncode(QStringView text) {
    return decode(encode(text)) == text;
}

QString decode(QByteArrayView bytes) {
    if (isAscii(bytes)) return QString::fromLatin1(bytes.data(), bytes.size());
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* o = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        char16_t u = QChar::ReplacementCharacter;
        if (c < 0x80) {
            u = c;
        } else if (c == 0x80 || c == 0xFF) {
            u = c == 0x80 ? kSingleByte80 : kSingleByteFF;
        } else if (i + 1 < bytes.size() && isTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            const auto trail = static_cast<unsigned char>(bytes[++i]);
            u = kToUnicode[(c - kLeadFirst) * kTrailCount + (trail - kTrailFirst)];
        }
        // else: a lead byte without its trail; the next byte stands on its own.
        *o++ = u == 0 ? QChar(QChar::ReplacementCharacter) : QChar(u);  // 0: unassigned
    }
    out.truncate(o - out.data());
    return out;
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
