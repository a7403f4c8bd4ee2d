// Bytes to text: the code page of each run, decoding, and \u with its surrogate pairs.

#include <QStringDecoder>
#include <algorithm>
#include <memory>

#include "rtf/rtfreaderstate.h"
#include "text/gbk.h"

namespace rtf::detail {
namespace {

QList<const char*> codecNames(int codePage) {
    switch (codePage) {
        case 932:
            return {"windows-31j", "Shift_JIS"};
        case 949:
            return {"windows-949", "EUC-KR"};
        case 950:
            return {"windows-950", "Big5"};
        case 1361:
            return {"johab"};
        case 10000:
            return {"macintosh"};
        case 65001:
            return {"UTF-8"};
        case 437:
            return {"IBM437"};
        case 850:
            return {"IBM850"};
        case 852:
            return {"IBM852"};
        case 866:
            return {"IBM866"};
        case 874:
            return {"windows-874"};
        default:
            if (codePage >= 1250 && codePage <= 1258) {
                static const char* const names[] = {"windows-1250", "windows-1251", "windows-1252",
                                                    "windows-1253", "windows-1254", "windows-1255",
                                                    "windows-1256", "windows-1257", "windows-1258"};
                return {names[codePage - 1250]};
            }
            return {};
    }
}

}  // namespace

int codePageOfCharset(int charset) {
    switch (charset) {
        case 0:
            return 1252;
        case 77:
            return 10000;
        case 128:
            return 932;
        case 129:
            return 949;
        case 130:
            return 1361;
        case 134:
            return 936;
        case 136:
            return 950;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 163:
            return 1258;
        case 177:
            return 1255;
        case 178:
            return 1256;
        case 186:
            return 1257;
        case 204:
            return 1251;
        case 222:
            return 874;
        case 238:
            return 1250;
        case 254:
            return 437;
        case 255:
            return 850;
        default:
            return 0;
    }
}

bool endsInsideCharacter(QByteArrayView bytes, int codePage) {
    const auto lead = [codePage](unsigned char c) {
        switch (codePage) {
            case 932:
                return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
            case 936:
            case 949:
            case 950:
            case 1361:
                return gbk::isLeadByte(c);
            default:
                return false;
        }
    };
    if (codePage == 65001) {
        for (qsizetype back = 1; back <= 3 && back <= bytes.size(); ++back) {
            const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
            if ((c & 0xC0) != 0x80) {
                const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
                return length > back;
            }
        }
        return false;
    }
    qsizetype i = 0;
    while (i < bytes.size())
        i += lead(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    return i > bytes.size();
}

int Reader::codePage(Dest dest, const CharState& chr) const {
    const int id = dest == Dest::FontTable ? m_fontDef : chr.font >= 0 ? chr.font : m_deff;
    const auto it = m_fonts.find(id);
    if (it != m_fonts.end() && it->second.codePage != 0) return it->second.codePage;
    return m_ansiCodePage;
}

QString Reader::decode(QByteArrayView bytes, int codePage) {
    if (codePage == 936) return gbk::decode(bytes);
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    auto& decoder = m_decoders[codePage];
    if (!decoder) {
        for (const char* name : codecNames(codePage)) {
            decoder = std::make_unique<QStringDecoder>(name, QStringConverter::Flag::Stateless);
            if (decoder->isValid()) break;
            decoder.reset();
        }
        if (!decoder) {
            decoder =
                std::make_unique<QStringDecoder>("windows-1252", QStringConverter::Flag::Stateless);
        }
    }
    if (!decoder->isValid()) return QString::fromLatin1(bytes);
    decoder->resetState();
    return decoder->decode(bytes);
}

void Reader::flushBytes() {
    if (m_pending.isEmpty()) return;
    const QString text = decode(m_pending, m_pendingCodePage);
    m_pending.clear();
    emitText(text, m_pendingDest, m_pendingChr);
}

void Reader::unicode(int value) {
    if (m_stack.empty()) return;
    const Dest dest = top().dest;
    m_ucSkip = 0;
    if (takesText(dest)) {
        flushBytes();
        if (value < 0 && value >= -32768) value += 65536;
        if (value < 0 || value > 0xFFFF) value = QChar::ReplacementCharacter;
        const auto unit = char16_t(value);
        if (QChar::isHighSurrogate(unit)) {
            settleSurrogate();
            m_highSurrogate = unit;
        } else if (QChar::isLowSurrogate(unit) && m_highSurrogate) {
            const char16_t pair[2] = {m_highSurrogate, unit};
            m_highSurrogate = 0;
            emitText(QStringView(pair, 2), dest, top().chr);
        } else if (QChar::isLowSurrogate(unit)) {
            emitChar(QChar::ReplacementCharacter);
        } else if (unit != 0) {
            emitChar(unit);
        }
    }
    m_ucSkip = top().uc;
}

void Reader::settleSurrogate() {
    if (!m_highSurrogate) return;
    m_highSurrogate = 0;
    const char16_t replacement = QChar::ReplacementCharacter;
    if (!m_stack.empty()) emitText(QStringView(&replacement, 1), top().dest, top().chr);
}

}  // namespace rtf::detail
