#include "text/gbk.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <array>
#include <memory>

namespace gbk {
namespace {

constexpr int kLeadFirst = 0x81;
constexpr int kTrailFirst = 0x40;
constexpr int kTrailCount = 0xFF - kTrailFirst;  // 0x40..0xFE
constexpr char16_t kNone = 0;

constexpr bool isTrailByte(unsigned char c) {
    return c >= kTrailFirst && c <= 0xFE && c != 0x7F;
}

// Lookup tables taken once from Qt's ICU converter: converting a short value through ICU costs
// far more than the table lookup, and ICU converters keep state between calls.
struct Tables {
    // kNone: unassigned
    std::array<char16_t, std::size_t(0xFF - kLeadFirst) * kTrailCount> toUnicode{};
    std::array<uint16_t, 0x10000> fromUnicode{};  // 0: not in the table; < 0x100: one byte
    char16_t singleByte80 = kNone;
    char16_t singleByteFF = kNone;

    Tables() {
        QStringDecoder decoder("GBK");
        QByteArray line;
        for (int lead = kLeadFirst; lead <= 0xFE; ++lead) {
            // One call per lead byte: every pair followed by a line break that separates results.
            line.clear();
            for (int trail = kTrailFirst; trail <= 0xFE; ++trail) {
                line.append(char(lead)).append(char(trail)).append('\n');
            }
            const QString text = decoder.decode(line);
            const QList<QStringView> parts = QStringView(text).split(u'\n');
            for (int trail = kTrailFirst; trail <= 0xFE && trail - kTrailFirst < parts.size();
                 ++trail) {
                const QStringView part = parts[trail - kTrailFirst];
                if (part.size() != 1 || part[0] == QChar::ReplacementCharacter) continue;
                const char16_t u = part[0].unicode();
                toUnicode[(lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst)] = u;
                if (fromUnicode[u] == 0) fromUnicode[u] = uint16_t(lead << 8 | trail);
            }
        }
        const QString singles = decoder.decode(QByteArray("\x80\n\xFF\n"));
        if (singles.size() == 4) {
            singleByte80 = singles[0].unicode();
            singleByteFF = singles[2].unicode();
            if (singleByte80 != QChar::ReplacementCharacter && fromUnicode[singleByte80] == 0)
                fromUnicode[singleByte80] = 0x80;
        }
    }
};

const Tables& tables() {
    static const std::unique_ptr<Tables> instance = std::make_unique<Tables>();
    return *instance;
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
    const Tables& t = tables();
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
        } else if (const uint16_t code = t.fromUnicode[c.unicode()]; code >= 0x100) {
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
    const Tables& t = tables();
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* o = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        char16_t u = QChar::ReplacementCharacter;
        if (c < 0x80) {
            u = c;
        } else if (c == 0x80 || c == 0xFF) {
            u = c == 0x80 ? t.singleByte80 : t.singleByteFF;
        } else if (i + 1 < bytes.size() && isTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            const auto trail = static_cast<unsigned char>(bytes[++i]);
            u = t.toUnicode[(c - kLeadFirst) * kTrailCount + (trail - kTrailFirst)];
        }
        // else: a lead byte without its trail; the next byte stands on its own.
        *o++ = u == kNone ? QChar(QChar::ReplacementCharacter) : QChar(u);
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
