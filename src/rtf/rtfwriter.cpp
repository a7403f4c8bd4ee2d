#include <QBuffer>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QImageWriter>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include "rtf/metafile.h"
#include "rtf/rtf.h"
#include "rtf/rtfheader.h"
#include "text/gbk.h"

namespace rtf {
namespace {

using detail::appendHexByte;
using detail::appendNumber;
using detail::header;

constexpr int kTwipsPerPixel = 15;

struct RunState {
    int font = -1;
    int halfPoints = 0;
    int fg = 0;
    int bg = 0;
    int vertical = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
};

class Writer {
public:
    explicit Writer(const Snapshot& snapshot) : m_snap(snapshot) {}
    QByteArray write();

private:
    void word(const char* name) {
        m_out += '\\';
        m_out += name;
        m_needDelimiter = true;
    }
    void word(const char* name, int value) {
        m_out += '\\';
        m_out += name;
        appendNumber(m_out, value);
        m_needDelimiter = true;
    }
    void setUc(int count) {
        if (count == m_uc) return;
        word("uc", count);
        m_uc = count;
    }
    void text(QStringView text);
    void paragraph(const Snapshot::Paragraph& p);
    void switchTo(const RunState& target);
    RunState stateOf(const QTextCharFormat& format);
    void openLink(const QString& href);
    void closeLink();
    void picture(const QTextImageFormat& format);
    void pictureData(QByteArrayView bytes);
    int fontIndex(const QString& family);
    int colorIndex(const QColor& color);

    const Snapshot& m_snap;
    std::string m_out;
    bool m_needDelimiter = false;
    int m_uc = 1;
    RunState m_state;
    QStringList m_fonts;
    std::vector<QColor> m_colors;
    int m_symbolFont = -1;
    bool m_inLink = false;
    RunState m_stateBeforeLink;
    int m_ucBeforeLink = 1;
    QString m_href;
    struct KnownFormat {
        RunState state;
        QString href;
        bool image = false;
    };
    QHash<int, KnownFormat> m_formats;
};

QByteArray Writer::write() {
    fontIndex(m_snap.defaultFamily);
    m_out.reserve(1024 + size_t(m_snap.text.size()) * 4);
    qsizetype at = 0;
    size_t run = 0;
    for (const Snapshot::Paragraph& p : m_snap.paragraphs) {
        if (p.format >= 0) paragraph(p);
        for (; run < p.runsEnd; ++run) {
            const Snapshot::Run& r = m_snap.runs[run];
            const QStringView chars = QStringView(m_snap.text).mid(at, r.length);
            at += r.length;
            // Formats repeat a lot: look each one up once.
            auto known = m_formats.find(r.format);
            if (known == m_formats.end()) {
                const QTextCharFormat format = m_snap.formats.value(r.format).toCharFormat();
                known = m_formats.insert(
                    r.format, {stateOf(format), format.isAnchor() ? format.anchorHref() : QString(),
                               format.isImageFormat()});
            }
            if (known->href != m_href) {
                closeLink();
                if (!known->href.isEmpty()) openLink(known->href);
            }
            if (known->image) {
                const QTextImageFormat format = m_snap.formats.value(r.format).toImageFormat();
                for (qsizetype i = 0; i < r.length; ++i)
                    picture(format);
                continue;
            }
            switchTo(known->state);
            text(chars);
        }
        closeLink();
        if (p.closes) {
            m_out += "\\par\r\n";
            m_needDelimiter = false;
        }
    }
    m_out += "}\r\n";
    QByteArray out = header(m_fonts, m_symbolFont, m_colors);
    out.reserve(out.size() + qsizetype(m_out.size()));
    out.append(m_out.data(), qsizetype(m_out.size()));
    return out;
}

void Writer::paragraph(const Snapshot::Paragraph& p) {
    const QTextBlockFormat f = m_snap.formats.value(p.format).toBlockFormat();
    word("pard");
    qreal left = f.leftMargin();
    qreal indent = f.textIndent();
    if (p.listFormat >= 0) {
        const QTextListFormat lf = m_snap.formats.value(p.listFormat).toListFormat();
        const int level = std::max(1, lf.indent());
        switch (lf.style()) {
            case QTextListFormat::ListDisc:
            case QTextListFormat::ListCircle:
            case QTextListFormat::ListSquare: {
                if (m_symbolFont < 0) {
                    m_symbolFont = int(m_fonts.size());
                    m_fonts.append(QStringLiteral("Symbol"));
                }
                const std::string font = std::to_string(m_symbolFont);
                m_out += "{\\pntext\\f" + font + "\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf" + font +
                         "\\pnindent0{\\pntxtb\\'B7}}";
                break;
            }
            default: {
                const char* kind = "pndec";
                switch (lf.style()) {
                    case QTextListFormat::ListLowerAlpha:
                        kind = "pnlcltr";
                        break;
                    case QTextListFormat::ListUpperAlpha:
                        kind = "pnucltr";
                        break;
                    case QTextListFormat::ListLowerRoman:
                        kind = "pnlcrm";
                        break;
                    case QTextListFormat::ListUpperRoman:
                        kind = "pnucrm";
                        break;
                    default:
                        break;
                }
                m_out += "{\\pntext\\f0 " + p.listItem.toLatin1().toStdString() +
                         "\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1\\" + kind +
                         "{\\pntxta.}}";
                break;
            }
        }
        // RichEdit's bullet layout: a hanging indent of a quarter inch per level.
        left += level * 360.0 / kTwipsPerPixel;
        indent = -360.0 / kTwipsPerPixel;
        m_needDelimiter = false;
    }
    switch (f.alignment() & Qt::AlignHorizontal_Mask) {
        case Qt::AlignHCenter:
            word("qc");
            break;
        case Qt::AlignRight:
            word("qr");
            break;
        case Qt::AlignJustify:
            word("qj");
            break;
        default:
            break;
    }
    const auto twips = [](qreal px) { return qRound(px * kTwipsPerPixel); };
    if (const int v = twips(indent)) word("fi", v);
    if (const int v = twips(left)) word("li", v);
    if (const int v = twips(f.rightMargin())) word("ri", v);
    if (const int v = twips(f.topMargin())) word("sb", v);
    if (const int v = twips(f.bottomMargin())) word("sa", v);
}

RunState Writer::stateOf(const QTextCharFormat& format) {
    RunState s;
    s.bold = format.hasProperty(QTextFormat::FontWeight) && format.fontWeight() > QFont::Medium;
    s.italic = format.fontItalic();
    s.underline = format.fontUnderline();
    s.strike = format.fontStrikeOut();
    QString family = format.fontFamilies().toStringList().value(0);
    if (family.isEmpty()) family = format.stringProperty(QTextFormat::FontFamily);
    if (!family.isEmpty()) s.font = fontIndex(family);
    if (format.hasProperty(QTextFormat::FontPointSize))
        s.halfPoints = std::clamp(qRound(format.fontPointSize() * 2), 1, 3276);
    if (format.hasProperty(QTextFormat::ForegroundBrush) &&
        format.foreground().style() != Qt::NoBrush)
        s.fg = colorIndex(format.foreground().color());
    if (format.hasProperty(QTextFormat::BackgroundBrush) &&
        format.background().style() != Qt::NoBrush)
        s.bg = colorIndex(format.background().color());
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript) s.vertical = 1;
    if (format.verticalAlignment() == QTextCharFormat::AlignSubScript) s.vertical = 2;
    return s;
}

void Writer::switchTo(const RunState& t) {
    RunState& s = m_state;
    // No control word takes a font or size back to "not given": start from plain text.
    if ((s.font >= 0 && t.font < 0) || (s.halfPoints > 0 && t.halfPoints == 0)) {
        word("plain");
        s = RunState();
    }
    if (t.bold != s.bold) word(t.bold ? "b" : "b0");
    if (t.italic != s.italic) word(t.italic ? "i" : "i0");
    if (t.underline != s.underline) word(t.underline ? "ul" : "ulnone");
    if (t.strike != s.strike) word(t.strike ? "strike" : "strike0");
    if (t.font != s.font) word("f", t.font);
    if (t.halfPoints != s.halfPoints) word("fs", t.halfPoints);
    if (t.fg != s.fg) word("cf", t.fg);
    if (t.bg != s.bg) word("highlight", t.bg);
    if (t.vertical != s.vertical)
        word(t.vertical == 1 ? "super" : t.vertical == 2 ? "sub" : "nosupersub");
    s = t;
}

void Writer::text(QStringView text) {
    // GBK of the whole run at once; each character takes one or two of its bytes.
    const QByteArray gbkBytes = gbk::encode(text);
    qsizetype at = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            ++at;
            if (c == u'\\' || c == u'{' || c == u'}') {
                m_out += '\\';
                m_out += char(c);
                m_needDelimiter = false;
            } else if (c == u'\t') {
                word("tab");
            } else if (c >= 0x20) {
                if (m_needDelimiter) m_out += ' ';
                m_out += char(c);
                m_needDelimiter = false;
            }
            continue;
        }
        if (c == QChar::LineSeparator) {
            at += gbk::isLeadByte(uchar(gbkBytes.at(at))) ? 2 : 1;
            word("line");
            continue;
        }
        if (QChar::isSurrogate(c)) {
            // Outside the BMP: each half as \u with "?", the pair counts one "?" in GBK.
            const bool pair =
                QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            ++at;
            if (!pair) continue;
            setUc(1);
            for (int k = 0; k < 2; ++k) {
                m_out += "\\u";
                appendNumber(m_out, qint16(text[i + k].unicode()));
                m_out += '?';
            }
            ++i;
            m_needDelimiter = false;
            continue;
        }
        const int n = gbk::isLeadByte(uchar(gbkBytes.at(at))) ? 2 : 1;
        const QByteArrayView fallback(gbkBytes.constData() + at, n);
        at += n;
        setUc(n);
        m_out += "\\u";
        appendNumber(m_out, qint16(c));
        if (fallback == "?") {
            m_out += '?';
        } else {
            for (char b : fallback)
                appendHexByte(m_out, uchar(b));
        }
        m_needDelimiter = false;
    }
}

void Writer::openLink(const QString& href) {
    m_stateBeforeLink = m_state;
    m_ucBeforeLink = m_uc;
    m_out += "{\\field{\\*\\fldinst{HYPERLINK \"";
    m_needDelimiter = false;
    QString target = href;
    target.replace(u'"', QStringLiteral("%22"));
    text(target);
    m_uc = m_ucBeforeLink;  // the instruction's group ends here, and any \\uc in it
    m_out += "\"}}{\\fldrslt{";
    m_needDelimiter = false;
    m_inLink = true;
    m_href = href;
}

void Writer::closeLink() {
    if (!m_inLink) return;
    m_out += "}}}";
    m_needDelimiter = false;
    m_inLink = false;
    m_href.clear();
    m_state = m_stateBeforeLink;
    m_uc = m_ucBeforeLink;
}

void Writer::picture(const QTextImageFormat& format) {
    const std::optional<OriginalPicture> original = originalPicture(format);
    const QImage image = m_snap.images.value(format.name());
    // Shown at the size it is shown now.
    qreal width = format.width(), height = format.height();
    if (!(width > 0 && height > 0)) {
        width = image.width();
        height = image.height();
    }
    const bool sized = width > 0 && height > 0;
    const int goalw = qRound(std::min(width, 1e5) * kTwipsPerPixel);
    const int goalh = qRound(std::min(height, 1e5) * kTwipsPerPixel);

    QByteArray words, data;
    if (original) {
        words = original->words;
        data = original->data;
    } else {
        if (image.isNull()) return;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        if (!writer.write(image)) return;
        words = "\\pngblip\\picw" + QByteArray::number(image.width()) + "\\pich" +
                QByteArray::number(image.height());
    }
    // RichEdit before Windows 8 shows no PNG or JPEG: for it, and for every older reader, the
    // picture also goes as a metafile in the group that newer readers skip; not a placeholder.
    const bool blip = (words.contains("\\pngblip") || words.contains("\\jpegblip")) &&
                      !format.boolProperty(kPlaceholderPicture);
    const metafile::Written fallback = blip ? metafile::fromImage(image) : metafile::Written{};
    if (!fallback.bytes.isEmpty()) m_out += "{\\*\\shppict";
    m_out += "{\\pict";
    m_out.append(words.constData(), size_t(words.size()));
    if (sized) {
        word("picwgoal", goalw);
        word("pichgoal", goalh);
    }
    m_out += "\r\n";
    pictureData(data);
    if (fallback.bytes.isEmpty()) return;
    m_out += "}{\\nonshppict{\\pict\\wmetafile8";
    // A metafile's extent is in hundredths of a millimetre.
    word("picw", qRound(fallback.size.width() * 2540.0 / 96));
    word("pich", qRound(fallback.size.height() * 2540.0 / 96));
    if (sized) {
        word("picwgoal", goalw);
        word("pichgoal", goalh);
    }
    m_out += "\r\n";
    pictureData(fallback.bytes);
    m_out += '}';
}

void Writer::pictureData(QByteArrayView bytes) {
    static const char digits[] = "0123456789abcdef";
    const qsizetype lineBytes = 64;
    size_t pos = m_out.size();
    m_out.resize(pos + size_t(bytes.size()) * 2 + size_t(bytes.size() / lineBytes + 1) * 2);
    char* out = m_out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = uchar(bytes[i]);
        out[pos++] = digits[b >> 4];
        out[pos++] = digits[b & 0xF];
        if ((i + 1) % lineBytes == 0 || i + 1 == bytes.size()) {
            out[pos++] = '\r';
            out[pos++] = '\n';
        }
    }
    m_out.resize(pos);
    m_out += '}';
    m_needDelimiter = false;
}

int Writer::fontIndex(const QString& family) {
    const qsizetype i = m_fonts.indexOf(family);
    if (i >= 0) return int(i);
    m_fonts.append(family);
    return int(m_fonts.size() - 1);
}

int Writer::colorIndex(const QColor& color) {
    const QColor rgb = color.toRgb();
    const auto it = std::find_if(m_colors.begin(), m_colors.end(), [&](const QColor& c) {
        return c.red() == rgb.red() && c.green() == rgb.green() && c.blue() == rgb.blue();
    });
    if (it != m_colors.end()) return int(it - m_colors.begin()) + 1;
    m_colors.push_back(rgb);
    return int(m_colors.size());
}

}  // namespace

QByteArray write(const Snapshot& snapshot) {
    Writer writer(snapshot);
    return writer.write();
}

QByteArray write(const QTextDocument& doc, int from, int to) {
    return write(capture(doc, from, to));
}

}  // namespace rtf
