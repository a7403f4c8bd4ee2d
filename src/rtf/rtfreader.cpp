// Reading RTF into a QTextDocument: the token loop, groups, and text runs into the document.

#include <QRegularExpression>
#include <QTextDocument>
#include <algorithm>

#include "rtf/rtf.h"
#include "rtf/rtfreaderstate.h"
#include "rtf/rtftokenizer.h"

namespace rtf {
namespace detail {
namespace {

// Deeper groups are read as if their braces were not there: real files nest a few dozen deep.
constexpr int kMaxDepth = 512;

}  // namespace

void Reader::run(QByteArrayView bytes) {
    const bool undo = m_doc->isUndoRedoEnabled();
    m_doc->setUndoRedoEnabled(false);
    m_doc->clear();
    m_cursor = QTextCursor(m_doc);
    m_cursor.beginEditBlock();

    Tokenizer tokens(bytes);
    while (!m_done) {
        const Token t = tokens.next();
        if (t.kind == Token::End) break;
        if (m_skipDepth > 0 || (!m_stack.empty() && top().dest == Dest::Skip)) {
            // Inside a skipped destination only the braces matter.
            if (t.kind == Token::GroupOpen) {
                ++m_skipDepth;
            } else if (t.kind == Token::GroupClose) {
                if (m_skipDepth > 0)
                    --m_skipDepth;
                else
                    groupClose();
            }
            continue;
        }
        switch (t.kind) {
            case Token::GroupOpen:
                groupOpen();
                break;
            case Token::GroupClose:
                groupClose();
                break;
            case Token::Word:
                word(t.data, t.hasParam, t.param);
                break;
            case Token::Symbol:
                symbol(t.byte);
                break;
            case Token::HexByte:
                textBytes(QByteArrayView(&t.byte, 1));
                break;
            case Token::Text:
                textBytes(t.data);
                break;
            case Token::Binary:
                binary(t.data);
                break;
            case Token::End:
                break;
        }
    }

    // A truncated file ends with its groups still open: keep what they hold.
    if (!m_stack.empty()) {
        m_lastPara = top().para;
        m_lastChr = top().chr;
        if (top().dest == Dest::Pict) finishPicture();
    }
    flushAll();
    if (!m_breakPending) {
        applyParagraph(m_lastPara, m_lastChr);
    } else if (m_fragment) {
        m_cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    }
    m_cursor.endEditBlock();
    m_doc->setUndoRedoEnabled(undo);
}

void Reader::groupOpen() {
    m_ucSkip = 0;
    if (m_stack.empty()) {
        m_stack.emplace_back();
        return;
    }
    if (m_stack.size() >= kMaxDepth) {
        ++m_overflow;
        return;
    }
    Group g = top();
    g.ownsPicture = false;
    g.symbolField = false;
    m_stack.push_back(g);
    m_star = false;
}

void Reader::groupClose() {
    m_ucSkip = 0;
    m_star = false;
    if (m_overflow > 0) {
        --m_overflow;
        return;
    }
    if (m_stack.empty()) return;
    if (!m_pending.isEmpty() && !endsInsideCharacter(m_pending, m_pendingCodePage)) flushBytes();

    const Group closed = m_stack.back();
    if (closed.dest == Dest::FontTable) {
        flushBytes();
        commitFontName();
    }
    if (m_stack.size() == 1) {
        m_lastPara = closed.para;
        m_lastChr = closed.chr;
    }
    m_stack.pop_back();
    if (closed.ownsPicture) finishPicture();
    if (m_stack.empty()) {
        m_done = true;
        return;
    }
    Group& parent = top();
    if (closed.dest == Dest::Pn && parent.dest != Dest::Pn) {
        parent.para.pnKind = closed.para.pnKind;
        parent.para.pnNumbers = closed.para.pnNumbers;
        parent.para.pnLevel = closed.para.pnLevel;
    }
    if (closed.dest == Dest::FieldInst && parent.dest != Dest::FieldInst) {
        flushBytes();
        finishFieldInstruction(parent);
    }
}

void Reader::symbol(unsigned char c) {
    switch (c) {
        case '*':
            m_star = true;
            return;
        case '\\':
        case '{':
        case '}':
            textBytes(QByteArrayView(reinterpret_cast<const char*>(&c), 1));
            return;
        default:
            break;
    }
    if (m_ucSkip > 0) {
        --m_ucSkip;
        return;
    }
    switch (c) {
        case '~':
            emitChar(0x00A0);
            break;
        case '-':
            emitChar(0x00AD);
            break;
        case '_':
            emitChar(0x2011);
            break;
        case '\t':
            emitChar(u'\t');
            break;
        default:
            break;
    }
}

void Reader::textBytes(QByteArrayView bytes) {
    if (m_ucSkip > 0) {
        const qsizetype n = std::min<qsizetype>(m_ucSkip, bytes.size());
        m_ucSkip -= int(n);
        bytes = bytes.sliced(n);
    }
    if (bytes.isEmpty() || m_stack.empty()) return;
    const Dest dest = top().dest;
    if (dest == Dest::Pict) {
        pictureHex(bytes);
        return;
    }
    if (dest == Dest::ColorTable) {
        for (char c : bytes) {
            if (c != ';') continue;
            m_colors.push_back(
                m_red < 0 && m_green < 0 && m_blue < 0
                    ? QColor()
                    : QColor(std::max(m_red, 0), std::max(m_green, 0), std::max(m_blue, 0)));
            m_red = m_green = m_blue = -1;
        }
        return;
    }
    if (!takesText(dest)) return;
    const CharState& chr = top().chr;
    const int cp = codePage(dest, chr);
    if (!m_pending.isEmpty() &&
        (m_pendingCodePage != cp || m_pendingDest != dest || !(m_pendingChr == chr)) &&
        !endsInsideCharacter(m_pending, m_pendingCodePage)) {
        flushBytes();
    }
    if (m_pending.isEmpty()) {
        m_pendingCodePage = cp;
        m_pendingDest = dest;
        m_pendingChr = chr;
    }
    m_pending.append(bytes);
}

void Reader::binary(QByteArrayView bytes) {
    if (m_ucSkip > 0) {
        --m_ucSkip;
        return;
    }
    if (!m_stack.empty() && top().dest == Dest::Pict) {
        m_pict.data.append(bytes);
        m_pict.nibble = -1;
    }
}

void Reader::emitChar(char16_t c) {
    if (m_ucSkip > 0) {
        --m_ucSkip;
        return;
    }
    if (m_stack.empty() || !takesText(top().dest)) return;
    flushBytes();
    emitText(QStringView(&c, 1), top().dest, top().chr);
}

void Reader::emitText(QStringView text, Dest dest, const CharState& chr) {
    settleSurrogate();
    switch (dest) {
        case Dest::Text:
            appendRun(text, chr);
            break;
        case Dest::FieldInst:
            m_fieldInst += text;
            break;
        case Dest::FontTable:
            for (QChar c : text) {
                if (c == u';')
                    commitFontName();
                else
                    m_fontName += c;
            }
            break;
        default:
            break;
    }
}

void Reader::appendRun(QStringView text, const CharState& chr) {
    if (!(chr == m_runChr) && !m_run.isEmpty()) flushRun();
    m_runChr = chr;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 && u != u'\t') continue;
        // Characters the document uses for its own structure must not come from the file.
        if (u == QChar::ObjectReplacementCharacter || u == QChar::ParagraphSeparator ||
            u == 0xFDD0 || u == 0xFDD1 || u == 0xFFFE || u == 0xFFFF)
            m_run += QChar(QChar::ReplacementCharacter);
        else
            m_run += c;
    }
}

void Reader::flushRun() {
    if (m_run.isEmpty()) return;
    startBlock();
    m_cursor.insertText(m_run, charFormat(m_runChr));
    m_run.clear();
}

void Reader::flushAll() {
    flushBytes();
    settleSurrogate();
    flushRun();
}

void Reader::startBlock() {
    if (!m_breakPending) return;
    m_breakPending = false;
    m_cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
}

void Reader::endParagraph() {
    flushAll();
    startBlock();
    applyParagraph(top().para, top().chr);
    m_breakPending = true;
}

QTextCharFormat Reader::charFormat(const CharState& chr) const {
    QTextCharFormat f;
    if (chr.bold) f.setFontWeight(QFont::Bold);
    if (chr.italic) f.setFontItalic(true);
    if (chr.underline) f.setFontUnderline(true);
    if (chr.strike) f.setFontStrikeOut(true);
    // Text without \\f keeps the control's own font rather than the file's default font.
    const auto font = m_fonts.find(chr.font);
    if (font != m_fonts.end() && !font->second.name.isEmpty())
        f.setFontFamilies(QStringList{font->second.name});
    if (chr.halfPoints > 0) f.setFontPointSize(chr.halfPoints / 2.0);
    if (chr.fg > 0 && size_t(chr.fg) < m_colors.size() && m_colors[chr.fg].isValid())
        f.setForeground(m_colors[chr.fg]);
    if (chr.bg > 0 && size_t(chr.bg) < m_colors.size() && m_colors[chr.bg].isValid())
        f.setBackground(m_colors[chr.bg]);
    if (chr.vertical == 1) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    if (chr.vertical == 2) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (chr.link > 0) {
        f.setAnchor(true);
        f.setAnchorHref(m_links[chr.link - 1]);
    }
    return f;
}

void Reader::commitFontName() {
    const QString name = m_fontName.trimmed();
    m_fontName.clear();
    if (m_fontDef < 0 || name.isEmpty()) return;
    Font& font = m_fonts[m_fontDef];
    if (font.name.isEmpty()) font.name = name;
}

void Reader::finishFieldInstruction(Group& field) {
    const QString inst = m_fieldInst.trimmed();
    m_fieldInst.clear();
    if (inst.startsWith(u"SYMBOL", Qt::CaseInsensitive)) {
        // SYMBOL code \f "font": Word shows that character of that font.
        static const QRegularExpression pattern(
            QStringLiteral("^SYMBOL\\s+(\\d+)(?:.*\\\\f\\s+\"([^\"]*)\")?"),
            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = pattern.match(inst);
        const uint code = m.captured(1).toUInt();
        if (!m.hasMatch() || code == 0 || code > 0xFFFF || QChar::isSurrogate(code)) return;
        CharState chr = field.chr;
        for (const auto& [id, font] : m_fonts) {
            if (!m.captured(2).isEmpty() && font.name == m.captured(2)) chr.font = id;
        }
        const auto c = char16_t(code);
        appendRun(QStringView(&c, 1), chr);
        field.symbolField = true;
        return;
    }
    if (!inst.startsWith(u"HYPERLINK", Qt::CaseInsensitive)) return;
    // HYPERLINK "target" or HYPERLINK target, switches such as \l "anchor" aside.
    QString target;
    QStringView rest = QStringView(inst).mid(9).trimmed();
    while (!rest.isEmpty()) {
        if (rest.startsWith(u'\\')) {
            const qsizetype space = rest.indexOf(u' ');
            const bool local = rest.startsWith(u"\\l");
            rest = space < 0 ? QStringView() : rest.mid(space).trimmed();
            if (!local) continue;
        }
        qsizetype end;
        if (rest.startsWith(u'"')) {
            end = rest.indexOf(u'"', 1);
            target += rest.mid(1, end < 0 ? -1 : end - 1);
            rest = end < 0 ? QStringView() : rest.mid(end + 1).trimmed();
        } else {
            end = rest.indexOf(u' ');
            target += rest.left(end);
            rest = end < 0 ? QStringView() : rest.mid(end).trimmed();
        }
        break;
    }
    if (target.isEmpty()) return;
    m_links.append(target);
    field.chr.link = int(m_links.size());
}

}  // namespace detail

bool startsAsRtf(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes = bytes.sliced(3);
    while (!bytes.isEmpty() && (bytes.front() == ' ' || bytes.front() == '\t' ||
                                bytes.front() == '\r' || bytes.front() == '\n'))
        bytes = bytes.sliced(1);
    return bytes.startsWith("{\\rtf");
}

namespace {

bool readInto(QByteArrayView bytes, QTextDocument* doc, QString* error, bool fragment) {
    if (!doc) {
        if (error) *error = QStringLiteral("no document");
        return false;
    }
    if (bytes.isEmpty()) {
        if (error) *error = QStringLiteral("the file is empty");
        return false;
    }
    if (!startsAsRtf(bytes)) {
        if (error) *error = QStringLiteral("not an RTF document");
        return false;
    }
    detail::Reader reader(doc, fragment);
    reader.run(bytes);
    if (error) error->clear();
    return true;
}

}  // namespace

bool read(QByteArrayView bytes, QTextDocument* doc, QString* error) {
    return readInto(bytes, doc, error, false);
}

bool readFragment(QByteArrayView bytes, QTextDocument* doc, QString* error) {
    return readInto(bytes, doc, error, true);
}

}  // namespace rtf
