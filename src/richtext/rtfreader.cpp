#include <QBuffer>
#include <QColor>
#include <QCryptographicHash>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QUrl>
#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <vector>

#include "text/gbk.h"
#include "richtext/rtf.h"
#include "richtext/rtftokenizer.h"

namespace rtf {
namespace {

// Deeper groups are read as if their braces were not there: real files nest a few dozen deep.
constexpr int kMaxDepth = 512;
// Decoded pictures larger than this become placeholders, and so does everything once the
// document's pictures hold this much memory in total.
constexpr qint64 kMaxPicturePixels = 16 * 1024 * 1024;
constexpr qint64 kMaxTotalPictureBytes = 512 * 1024 * 1024;
constexpr int kMaxPlaceholderSide = 512;
constexpr qreal kMaxPictureSide = 4096;  // displayed size in pixels
constexpr qreal kTwipsPerPixel = 15;
// The control words kept with an original picture; more is no real picture.
constexpr qsizetype kMaxPictureWords = 1024;

enum class Dest : quint8 {
    Text,
    Skip,
    FontTable,
    ColorTable,
    Pict,
    Pn,
    ListTable,
    ListDef,
    ListLevel,
    ListOverrides,
    ListOverride,
    FieldInst,
    Upr,
};

struct CharState {
    int font = -1;       // -1: the document's default font
    int halfPoints = 0;  // 0: not given
    int fg = 0;          // colour table index, 0: automatic
    int bg = 0;
    int link = 0;         // index + 1 into the hyperlink targets
    quint8 vertical = 0;  // 1 superscript, 2 subscript
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool operator==(const CharState&) const = default;
};

struct ParaState {
    int align = 0;                               // 0 left, 1 centre, 2 right, 3 justify
    int li = 0, ri = 0, fi = 0, sb = 0, sa = 0;  // twips
    int ls = 0, ilvl = 0;                        // Word list
    int pnKind = 0;                              // RichEdit list: 0 none, 1 bullets, 2 numbers
    int pnNumbers = QTextListFormat::ListDecimal;
    int pnLevel = 0;
};

struct Group {
    CharState chr;
    ParaState para;
    Dest dest = Dest::Text;
    Dest uprDest = Dest::Text;
    quint8 uc = 1;
    bool ownsPicture = false;
    bool symbolField = false;  // the field's result is the character its instruction names
};

struct Font {
    QString name;
    int codePage = 0;  // 0: the document's
};

struct ListLevelDef {
    int nfc = 0;
};

struct ListDef {
    int id = 0;
    std::vector<ListLevelDef> levels;
};

enum class PictKind { Unknown, Png, Jpeg, Dib, Bitmap, Other };

struct Picture {
    PictKind kind = PictKind::Unknown;
    QByteArray words;  // the control words that describe the data, as read
    QByteArray data;
    int nibble = -1;
    int picw = 0, pich = 0, goalw = 0, goalh = 0, scalex = 100, scaley = 100;
};

enum Kw : quint8 {
    // destinations
    KwFontTbl,
    KwColorTbl,
    KwPict,
    KwShpPict,
    KwPn,
    KwListTable,
    KwListOverrideTable,
    KwList,
    KwListLevel,
    KwListOverride,
    KwFldInst,
    KwFldRslt,
    KwUpr,
    KwUd,
    KwSkipDest,
    // document
    KwAnsi,
    KwMac,
    KwPc,
    KwPca,
    KwAnsiCpg,
    KwDeff,
    KwFCharset,
    KwCpg,
    KwRed,
    KwGreen,
    KwBlue,
    // text
    KwPar,
    KwCell,
    KwLine,
    KwTab,
    KwChar,
    KwU,
    KwUc,
    KwChftn,
    // character
    KwPlain,
    KwB,
    KwI,
    KwUl,
    KwUlNone,
    KwStrike,
    KwF,
    KwFs,
    KwCf,
    KwCb,
    KwSuper,
    KwSub,
    KwNoSuperSub,
    // paragraph
    KwPard,
    KwQl,
    KwQc,
    KwQr,
    KwQj,
    KwLi,
    KwRi,
    KwFi,
    KwSb,
    KwSa,
    KwLs,
    KwIlvl,
    KwPnLvlBlt,
    KwPnLvlBody,
    KwPnLvlCont,
    KwPnLvl,
    KwPnDec,
    KwPnUcLtr,
    KwPnLcLtr,
    KwPnUcRm,
    KwPnLcRm,
    KwListId,
    KwLevelNfc,
    // picture
    KwPngBlip,
    KwJpegBlip,
    KwDibitmap,
    KwWBitmap,
    KwOtherPict,
    KwPicW,
    KwPicH,
    KwPicWGoal,
    KwPicHGoal,
    KwPicScaleX,
    KwPicScaleY,
    KwPictWord,  // kept with the original picture, nothing more
};

// Words kept with an original picture: what its data is, not how large it is shown.
bool describesPictureData(Kw kw) {
    return kw >= KwPngBlip && kw != KwPicWGoal && kw != KwPicHGoal && kw != KwPicScaleX &&
           kw != KwPicScaleY;
}

struct Keyword {
    Kw kw;
    char16_t ch = 0;  // KwChar: the character
};

const QHash<QByteArrayView, Keyword>& keywords() {
    static const QHash<QByteArrayView, Keyword> table = [] {
        QHash<QByteArrayView, Keyword> t;
        const std::pair<const char*, Kw> plain[] = {
            {"fonttbl", KwFontTbl},
            {"colortbl", KwColorTbl},
            {"pict", KwPict},
            {"shppict", KwShpPict},
            {"pn", KwPn},
            {"listtable", KwListTable},
            {"listoverridetable", KwListOverrideTable},
            {"list", KwList},
            {"listlevel", KwListLevel},
            {"listoverride", KwListOverride},
            {"fldinst", KwFldInst},
            {"fldrslt", KwFldRslt},
            {"upr", KwUpr},
            {"ud", KwUd},
            // Destinations whose content is not body text.
            {"stylesheet", KwSkipDest},
            {"info", KwSkipDest},
            {"nonshppict", KwSkipDest},
            {"pntext", KwSkipDest},
            {"pntxta", KwSkipDest},
            {"pntxtb", KwSkipDest},
            {"listtext", KwSkipDest},
            {"leveltext", KwSkipDest},
            {"levelnumbers", KwSkipDest},
            {"footnote", KwSkipDest},
            {"header", KwSkipDest},
            {"headerl", KwSkipDest},
            {"headerr", KwSkipDest},
            {"headerf", KwSkipDest},
            {"footer", KwSkipDest},
            {"footerl", KwSkipDest},
            {"footerr", KwSkipDest},
            {"footerf", KwSkipDest},
            {"nonesttables", KwSkipDest},
            {"xe", KwSkipDest},
            {"tc", KwSkipDest},
            {"txe", KwSkipDest},
            {"rxe", KwSkipDest},
            {"template", KwSkipDest},
            {"revtbl", KwSkipDest},
            {"rsidtbl", KwSkipDest},
            {"objdata", KwSkipDest},
            {"annotation", KwSkipDest},
            {"atnid", KwSkipDest},
            {"atnauthor", KwSkipDest},
            {"pgdsctbl", KwSkipDest},
            {"filetbl", KwSkipDest},
            {"listpicture", KwSkipDest},
            {"ftnsep", KwSkipDest},
            {"ftnsepc", KwSkipDest},
            {"aftnsep", KwSkipDest},
            {"aftnsepc", KwSkipDest},
            {"themedata", KwSkipDest},
            {"colorschememapping", KwSkipDest},
            {"datastore", KwSkipDest},
            {"latentstyles", KwSkipDest},
            {"generator", KwSkipDest},
            {"bkmkstart", KwSkipDest},
            {"bkmkend", KwSkipDest},
            {"falt", KwSkipDest},
            {"panose", KwSkipDest},
            {"ansi", KwAnsi},
            {"mac", KwMac},
            {"pc", KwPc},
            {"pca", KwPca},
            {"ansicpg", KwAnsiCpg},
            {"deff", KwDeff},
            {"fcharset", KwFCharset},
            {"cpg", KwCpg},
            {"red", KwRed},
            {"green", KwGreen},
            {"blue", KwBlue},
            {"par", KwPar},
            {"sect", KwPar},
            {"cell", KwCell},
            {"nestcell", KwCell},
            {"line", KwLine},
            {"tab", KwTab},
            {"u", KwU},
            {"uc", KwUc},
            {"chftn", KwChftn},
            {"plain", KwPlain},
            {"b", KwB},
            {"i", KwI},
            {"ul", KwUl},
            {"uld", KwUl},
            {"uldash", KwUl},
            {"uldashd", KwUl},
            {"uldashdd", KwUl},
            {"uldb", KwUl},
            {"ulth", KwUl},
            {"ulw", KwUl},
            {"ulwave", KwUl},
            {"ulhwave", KwUl},
            {"ululdbwave", KwUl},
            {"ulldash", KwUl},
            {"ulthd", KwUl},
            {"ulthdash", KwUl},
            {"ulnone", KwUlNone},
            {"strike", KwStrike},
            {"striked", KwStrike},
            {"f", KwF},
            {"fs", KwFs},
            {"cf", KwCf},
            {"cb", KwCb},
            {"highlight", KwCb},
            {"chcbpat", KwCb},
            {"super", KwSuper},
            {"sub", KwSub},
            {"nosupersub", KwNoSuperSub},
            {"pard", KwPard},
            {"ql", KwQl},
            {"qc", KwQc},
            {"qr", KwQr},
            {"qj", KwQj},
            {"qd", KwQj},
            {"li", KwLi},
            {"lin", KwLi},
            {"ri", KwRi},
            {"rin", KwRi},
            {"fi", KwFi},
            {"sb", KwSb},
            {"sa", KwSa},
            {"ls", KwLs},
            {"ilvl", KwIlvl},
            {"pnlvlblt", KwPnLvlBlt},
            {"pnlvlbody", KwPnLvlBody},
            {"pnlvlcont", KwPnLvlCont},
            {"pnlvl", KwPnLvl},
            {"pndec", KwPnDec},
            {"pnucltr", KwPnUcLtr},
            {"pnlcltr", KwPnLcLtr},
            {"pnucrm", KwPnUcRm},
            {"pnlcrm", KwPnLcRm},
            {"listid", KwListId},
            {"levelnfc", KwLevelNfc},
            {"levelnfcn", KwLevelNfc},
            {"pngblip", KwPngBlip},
            {"jpegblip", KwJpegBlip},
            {"dibitmap", KwDibitmap},
            {"wbitmap", KwWBitmap},
            {"emfblip", KwOtherPict},
            {"wmetafile", KwOtherPict},
            {"macpict", KwOtherPict},
            {"pmmetafile", KwOtherPict},
            {"picw", KwPicW},
            {"pich", KwPicH},
            {"picwgoal", KwPicWGoal},
            {"pichgoal", KwPicHGoal},
            {"picscalex", KwPicScaleX},
            {"picscaley", KwPicScaleY},
            {"piccropl", KwPictWord},
            {"piccropr", KwPictWord},
            {"piccropt", KwPictWord},
            {"piccropb", KwPictWord},
            {"picbmp", KwPictWord},
            {"picbpp", KwPictWord},
            {"picscaled", KwPictWord},
            {"wbmbitspixel", KwPictWord},
            {"wbmplanes", KwPictWord},
            {"wbmwidthbytes", KwPictWord},
            {"bliptag", KwPictWord},
            {"blipupi", KwPictWord},
        };
        for (const auto& [name, kw] : plain)
            t.insert(QByteArrayView(name), {kw});
        const std::pair<const char*, char16_t> chars[] = {
            {"emdash", 0x2014},  {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},
            {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},
            {"enspace", 0x2002}, {"qmspace", 0x2005},   {"zwj", 0x200D},       {"zwnj", 0x200C},
            {"ltrmark", 0x200E}, {"rtlmark", 0x200F},
        };
        for (const auto& [name, ch] : chars)
            t.insert(QByteArrayView(name), {KwChar, ch});
        return t;
    }();
    return table;
}

// The code page of a font's \fcharset; 0 for "the document's".
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

// True when the bytes end in the middle of a character: its remaining bytes may still come.
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

QTextListFormat::Style styleOfLevelNfc(int nfc) {
    switch (nfc) {
        case 1:
            return QTextListFormat::ListUpperRoman;
        case 2:
            return QTextListFormat::ListLowerRoman;
        case 3:
            return QTextListFormat::ListUpperAlpha;
        case 4:
            return QTextListFormat::ListLowerAlpha;
        case 23:
        case 255:
            return QTextListFormat::ListDisc;
        default:
            return QTextListFormat::ListDecimal;
    }
}

// A light grey framed box with a cross: visibly a picture we could not show.
QImage placeholderImage(int width, int height) {
    QImage image(std::clamp(width, 1, kMaxPlaceholderSide),
                 std::clamp(height, 1, kMaxPlaceholderSide), QImage::Format_RGB32);
    image.fill(QColor(0xE4, 0xE4, 0xE4));
    const QRgb line = qRgb(0x90, 0x90, 0x90);
    const int w = image.width(), h = image.height();
    for (int x = 0; x < w; ++x) {
        image.setPixel(x, 0, line);
        image.setPixel(x, h - 1, line);
    }
    for (int y = 0; y < h; ++y) {
        image.setPixel(0, y, line);
        image.setPixel(w - 1, y, line);
    }
    const int steps = std::max(w, h);
    for (int s = 0; s < steps; ++s) {
        const int x = s * w / steps, y = s * h / steps;
        image.setPixel(x, y, line);
        image.setPixel(w - 1 - x, y, line);
    }
    return image;
}

class Reader {
public:
    Reader(QTextDocument* doc, bool fragment) : m_doc(doc), m_cursor(doc), m_fragment(fragment) {}

    void run(QByteArrayView bytes);

private:
    Group& top() { return m_stack.back(); }
    void groupOpen();
    void groupClose();
    void word(QByteArrayView name, bool hasParam, int param);
    void symbol(unsigned char c);
    void textBytes(QByteArrayView bytes);
    void binary(QByteArrayView bytes);

    bool takesText(Dest dest) const {
        return dest == Dest::Text || dest == Dest::FontTable || dest == Dest::FieldInst;
    }
    int codePage(Dest dest, const CharState& chr) const;
    QString decode(QByteArrayView bytes, int codePage);
    void flushBytes();
    void unicode(int value);
    void emitText(QStringView text, Dest dest, const CharState& chr);
    void emitChar(char16_t c);
    void settleSurrogate();

    void appendRun(QStringView text, const CharState& chr);
    void flushRun();
    void flushAll();
    void startBlock();
    void endParagraph();
    void applyParagraph(const ParaState& para, const CharState& chr);
    bool listFor(const ParaState& para, QTextList*** slot, QTextListFormat* format);
    QTextCharFormat charFormat(const CharState& chr) const;

    void commitFontName();
    void finishFieldInstruction(Group& field);
    void pictureHex(QByteArrayView text);
    void pictureWord(QByteArrayView name, bool hasParam, int param);
    void finishPicture();
    QImage decodePicture(qreal* width, qreal* height);

    QTextDocument* m_doc;
    QTextCursor m_cursor;
    bool m_fragment;

    std::vector<Group> m_stack;
    int m_overflow = 0;   // braces deeper than kMaxDepth
    int m_skipDepth = 0;  // groups inside a skipped destination
    bool m_star = false;
    int m_ucSkip = 0;
    bool m_done = false;

    int m_ansiCodePage = 1252;
    int m_deff = -1;
    std::map<int, Font> m_fonts;
    int m_fontDef = -1;
    QString m_fontName;
    std::vector<QColor> m_colors;  // invalid: automatic
    int m_red = -1, m_green = -1, m_blue = -1;
    std::vector<ListDef> m_lists;
    std::vector<std::pair<int, int>> m_overrides;  // (\ls, \listid)
    std::map<int, int> m_listOfLs;     // \ls -> \listid, built from m_overrides when needed
    std::map<int, size_t> m_listById;  // \listid -> index in m_lists
    bool m_listIndexStale = true;
    QStringList m_links;
    QString m_fieldInst;
    int m_footnotes = 0;
    std::map<int, std::unique_ptr<QStringDecoder>> m_decoders;

    QByteArray m_pending;  // bytes of text not yet decoded
    int m_pendingCodePage = 0;
    Dest m_pendingDest = Dest::Text;
    CharState m_pendingChr;
    char16_t m_highSurrogate = 0;

    QString m_run;
    CharState m_runChr;
    bool m_breakPending = false;
    ParaState m_lastPara;
    CharState m_lastChr;
    QTextList* m_pnList = nullptr;
    QTextListFormat::Style m_pnListStyle = QTextListFormat::ListDisc;
    int m_pnListLevel = 0;
    std::map<std::pair<int, int>, QTextList*> m_wordLists;

    Picture m_pict;
    qint64 m_pictureBytes = 0;
    QSet<QString> m_imageNames;
};

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

void Reader::word(QByteArrayView name, bool hasParam, int param) {
    if (m_ucSkip > 0) {
        // A control word in the fallback of \u counts as one skipped character.
        --m_ucSkip;
        return;
    }
    const bool star = m_star;
    m_star = false;
    const auto it = keywords().constFind(name);
    if (it == keywords().cend()) {
        if (star && !m_stack.empty()) top().dest = Dest::Skip;
        // A kind of picture newer than this reader: kept, shown as a placeholder.
        if (!star && name.endsWith("blip") && name.size() <= 32 && !m_stack.empty() &&
            top().dest == Dest::Pict) {
            m_pict.kind = PictKind::Other;
            pictureWord(name, hasParam, param);
        }
        return;
    }
    if (m_stack.empty()) return;
    Group& g = top();
    CharState& chr = g.chr;
    ParaState& para = g.para;
    const bool on = !hasParam || param != 0;
    const Dest dest = g.dest;
    if (dest == Dest::Pict && describesPictureData(it->kw)) pictureWord(name, hasParam, param);

    switch (it->kw) {
        case KwFontTbl:
            g.dest = Dest::FontTable;
            break;
        case KwColorTbl:
            g.dest = Dest::ColorTable;
            break;
        case KwPict:
            if (dest == Dest::Text) {
                flushBytes();
                g.dest = Dest::Pict;
                g.ownsPicture = true;
                m_pict = Picture();
            } else if (dest != Dest::Pict) {
                g.dest = Dest::Skip;
            }
            break;
        case KwShpPict:
            if (dest != Dest::Text) g.dest = Dest::Skip;
            break;
        case KwFldRslt:
            if (dest != Dest::Text || g.symbolField) g.dest = Dest::Skip;
            break;
        case KwPn:
            if (dest == Dest::Text) {
                g.dest = Dest::Pn;
                para.pnKind = 0;
                para.pnNumbers = QTextListFormat::ListDecimal;
                para.pnLevel = 0;
            } else {
                g.dest = Dest::Skip;
            }
            break;
        case KwListTable:
            g.dest = Dest::ListTable;
            break;
        case KwListOverrideTable:
            g.dest = Dest::ListOverrides;
            break;
        case KwList:
            if (dest == Dest::ListTable) {
                g.dest = Dest::ListDef;
                m_lists.emplace_back();
                m_listIndexStale = true;
            }
            break;
        case KwListLevel:
            if (dest == Dest::ListDef && !m_lists.empty()) {
                g.dest = Dest::ListLevel;
                m_lists.back().levels.emplace_back();
            }
            break;
        case KwListOverride:
            if (dest == Dest::ListOverrides) {
                g.dest = Dest::ListOverride;
                m_overrides.emplace_back(0, 0);
                m_listIndexStale = true;
            }
            break;
        case KwFldInst:
            if (dest == Dest::Text) {
                flushBytes();
                g.dest = Dest::FieldInst;
                m_fieldInst.clear();
            } else if (dest != Dest::FieldInst) {
                g.dest = Dest::Skip;
            }
            break;
        case KwUpr:
            g.uprDest = dest;
            g.dest = Dest::Upr;
            break;
        case KwUd:
            if (dest == Dest::Upr) g.dest = g.uprDest;
            break;
        case KwSkipDest:
            g.dest = Dest::Skip;
            break;

        case KwAnsi:
            m_ansiCodePage = 1252;
            break;
        case KwMac:
            m_ansiCodePage = 10000;
            break;
        case KwPc:
            m_ansiCodePage = 437;
            break;
        case KwPca:
            m_ansiCodePage = 850;
            break;
        case KwAnsiCpg:
            if (hasParam && param > 0) m_ansiCodePage = param;
            break;
        case KwDeff:
            if (hasParam) m_deff = param;
            break;
        case KwFCharset:
            if (dest == Dest::FontTable && m_fontDef >= 0)
                m_fonts[m_fontDef].codePage = codePageOfCharset(param);
            break;
        case KwCpg:
            if (dest == Dest::FontTable && m_fontDef >= 0 && param > 0)
                m_fonts[m_fontDef].codePage = param;
            break;
        case KwRed:
            m_red = std::clamp(param, 0, 255);
            break;
        case KwGreen:
            m_green = std::clamp(param, 0, 255);
            break;
        case KwBlue:
            m_blue = std::clamp(param, 0, 255);
            break;

        case KwPar:
            if (dest == Dest::Text) endParagraph();
            break;
        case KwCell:
            if (dest == Dest::Text) endParagraph();
            break;
        case KwLine:
            emitChar(QChar::LineSeparator);
            break;
        case KwTab:
            emitChar(u'\t');
            break;
        case KwChar:
            emitChar(it->ch);
            break;
        case KwU:
            unicode(hasParam ? param : 0);
            break;
        case KwUc:
            g.uc = quint8(std::clamp(param, 0, 16));
            break;
        case KwChftn:
            if (dest == Dest::Text) {
                flushBytes();
                emitText(QString::number(++m_footnotes), dest, chr);
            }
            break;

        case KwPlain:
            chr = CharState{.link = chr.link};
            break;
        case KwB:
            chr.bold = on;
            break;
        case KwI:
            chr.italic = on;
            break;
        case KwUl:
            chr.underline = on;
            break;
        case KwUlNone:
            chr.underline = false;
            break;
        case KwStrike:
            chr.strike = on;
            break;
        case KwF:
            if (dest == Dest::FontTable) {
                flushBytes();
                commitFontName();
                m_fontDef = param;
                m_fonts[param];
            } else {
                chr.font = param;
            }
            break;
        case KwFs:
            chr.halfPoints = std::clamp(param, 0, 3276);
            break;
        case KwCf:
            chr.fg = std::max(param, 0);
            break;
        case KwCb:
            chr.bg = std::max(param, 0);
            break;
        case KwSuper:
            chr.vertical = on ? 1 : 0;
            break;
        case KwSub:
            chr.vertical = on ? 2 : 0;
            break;
        case KwNoSuperSub:
            chr.vertical = 0;
            break;

        case KwPard:
            para = ParaState();
            break;
        case KwQl:
            para.align = 0;
            break;
        case KwQc:
            para.align = 1;
            break;
        case KwQr:
            para.align = 2;
            break;
        case KwQj:
            para.align = 3;
            break;
        case KwLi:
            para.li = param;
            break;
        case KwRi:
            para.ri = param;
            break;
        case KwFi:
            para.fi = param;
            break;
        case KwSb:
            para.sb = param;
            break;
        case KwSa:
            para.sa = param;
            break;
        case KwLs:
            if (dest == Dest::ListOverride && !m_overrides.empty()) {
                m_overrides.back().first = param;
                m_listIndexStale = true;
            } else if (dest != Dest::ListOverride) {
                para.ls = param;
            }
            break;
        case KwIlvl:
            para.ilvl = std::clamp(param, 0, 8);
            break;
        case KwPnLvlBlt:
            para.pnKind = 1;
            para.pnLevel = 0;
            break;
        case KwPnLvlBody:
            para.pnKind = 2;
            para.pnLevel = 0;
            break;
        case KwPnLvlCont:  // a paragraph inside a list item: no marker of its own
            para.pnKind = 0;
            break;
        case KwPnLvl:
            para.pnKind = 2;
            para.pnLevel = std::clamp(param - 1, 0, 8);
            break;
        case KwPnDec:
            para.pnNumbers = QTextListFormat::ListDecimal;
            break;
        case KwPnUcLtr:
            para.pnNumbers = QTextListFormat::ListUpperAlpha;
            break;
        case KwPnLcLtr:
            para.pnNumbers = QTextListFormat::ListLowerAlpha;
            break;
        case KwPnUcRm:
            para.pnNumbers = QTextListFormat::ListUpperRoman;
            break;
        case KwPnLcRm:
            para.pnNumbers = QTextListFormat::ListLowerRoman;
            break;
        case KwListId:
            if (dest == Dest::ListDef && !m_lists.empty()) m_lists.back().id = param;
            if (dest == Dest::ListOverride && !m_overrides.empty())
                m_overrides.back().second = param;
            m_listIndexStale = true;
            break;
        case KwLevelNfc:
            if (dest == Dest::ListLevel && !m_lists.empty() && !m_lists.back().levels.empty())
                m_lists.back().levels.back().nfc = param;
            break;

        case KwPngBlip:
            m_pict.kind = PictKind::Png;
            break;
        case KwJpegBlip:
            m_pict.kind = PictKind::Jpeg;
            break;
        case KwDibitmap:
            m_pict.kind = PictKind::Dib;
            break;
        case KwWBitmap:
            m_pict.kind = PictKind::Bitmap;
            break;
        case KwOtherPict:
            m_pict.kind = PictKind::Other;
            break;
        case KwPicW:
            m_pict.picw = param;
            break;
        case KwPicH:
            m_pict.pich = param;
            break;
        case KwPicWGoal:
            m_pict.goalw = param;
            break;
        case KwPicHGoal:
            m_pict.goalh = param;
            break;
        case KwPicScaleX:
            m_pict.scalex = param;
            break;
        case KwPicScaleY:
            m_pict.scaley = param;
            break;
        case KwPictWord:
            break;
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

void Reader::applyParagraph(const ParaState& para, const CharState& chr) {
    QTextBlockFormat block;
    static constexpr Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                               Qt::AlignJustify};
    if (para.align != 0) block.setAlignment(aligns[para.align]);
    QTextList** list = nullptr;
    QTextListFormat listFormat;
    const bool inList = listFor(para, &list, &listFormat);
    if (inList) {
        // The list draws the marker and its own indent; a hanging indent is how RTF draws it.
        const int extra = std::max(0, para.li + para.fi);
        if (extra) block.setLeftMargin(extra / kTwipsPerPixel);
    } else {
        if (para.li) block.setLeftMargin(para.li / kTwipsPerPixel);
        if (para.fi) block.setTextIndent(para.fi / kTwipsPerPixel);
    }
    if (para.ri) block.setRightMargin(para.ri / kTwipsPerPixel);
    if (para.sb) block.setTopMargin(para.sb / kTwipsPerPixel);
    if (para.sa) block.setBottomMargin(para.sa / kTwipsPerPixel);
    m_cursor.setBlockFormat(block);
    m_cursor.setBlockCharFormat(charFormat(chr));
    if (!inList) return;
    if (*list)
        (*list)->add(m_cursor.block());
    else
        *list = m_cursor.createList(listFormat);
}

bool Reader::listFor(const ParaState& para, QTextList*** slot, QTextListFormat* format) {
    // A Word list (\\ls) when the file defines it, else RichEdit's numbering (\\pn).
    if (m_listIndexStale) {
        m_listIndexStale = false;
        m_listOfLs.clear();
        m_listById.clear();
        for (const auto& [ls, id] : m_overrides)
            m_listOfLs.try_emplace(ls, id);
        for (size_t i = 0; i < m_lists.size(); ++i)
            m_listById.try_emplace(m_lists[i].id, i);
    }
    const auto over = m_listOfLs.find(para.ls);
    if (para.ls > 0 && over != m_listOfLs.end()) {
        m_pnList = nullptr;
        format->setStyle(QTextListFormat::ListDisc);
        format->setIndent(para.ilvl + 1);
        const auto def = m_listById.find(over->second);
        if (def != m_listById.end() && size_t(para.ilvl) < m_lists[def->second].levels.size()) {
            const ListLevelDef& level = m_lists[def->second].levels[para.ilvl];
            if (level.nfc == 255) return false;  // a level without a marker
            format->setStyle(styleOfLevelNfc(level.nfc));
        }
        *slot = &m_wordLists[{para.ls, para.ilvl}];
        return true;
    }
    if (para.pnKind == 0) {
        m_pnList = nullptr;
        return false;
    }
    const auto style =
        para.pnKind == 1 ? QTextListFormat::ListDisc : QTextListFormat::Style(para.pnNumbers);
    // Paragraphs in a row with the same RichEdit numbering form one list.
    if (m_pnList && (m_pnListStyle != style || m_pnListLevel != para.pnLevel)) m_pnList = nullptr;
    m_pnListStyle = style;
    m_pnListLevel = para.pnLevel;
    format->setStyle(style);
    format->setIndent(para.pnLevel + 1);
    *slot = &m_pnList;
    return true;
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

void Reader::pictureHex(QByteArrayView text) {
    static const auto table = [] {
        std::array<qint8, 256> t;
        t.fill(-1);
        for (int c = '0'; c <= '9'; ++c)
            t[c] = qint8(c - '0');
        for (int c = 'a'; c <= 'f'; ++c)
            t[c] = qint8(c - 'a' + 10);
        for (int c = 'A'; c <= 'F'; ++c)
            t[c] = qint8(c - 'A' + 10);
        return t;
    }();
    QByteArray& data = m_pict.data;
    data.reserve(data.size() + text.size() / 2 + 1);
    int nibble = m_pict.nibble;
    for (char c : text) {
        const int v = table[uchar(c)];
        if (v < 0) continue;
        if (nibble < 0) {
            nibble = v;
        } else {
            data.append(char(nibble << 4 | v));
            nibble = -1;
        }
    }
    m_pict.nibble = nibble;
}

void Reader::pictureWord(QByteArrayView name, bool hasParam, int param) {
    if (m_pict.words.size() + name.size() + 12 > kMaxPictureWords) return;
    m_pict.words.append('\\').append(name);
    if (hasParam) m_pict.words.append(QByteArray::number(param));
}

QImage Reader::decodePicture(qreal* width, qreal* height) {
    QByteArray data = m_pict.data;
    const char* format = nullptr;
    switch (m_pict.kind) {
        case PictKind::Png:
            format = "png";
            break;
        case PictKind::Jpeg:
            format = "jpeg";
            break;
        case PictKind::Dib: {
            // A device-independent bitmap is a BMP file without its 14-byte file header.
            if (data.size() < 40) return {};
            const auto le32 = [&data](int at) {
                return quint32(uchar(data[at])) | quint32(uchar(data[at + 1])) << 8 |
                       quint32(uchar(data[at + 2])) << 16 | quint32(uchar(data[at + 3])) << 24;
            };
            const quint32 headerSize = le32(0);
            const quint32 bits = uchar(data[14]) | uchar(data[15]) << 8;
            quint32 colors = le32(32);
            if (colors == 0 && bits <= 8) colors = 1u << bits;
            const quint32 offset = 14 + std::min<quint32>(headerSize, 1024) + colors * 4;
            const quint32 fileSize = quint32(data.size()) + 14;
            QByteArray header("BM");
            for (quint32 v : {fileSize, 0u, offset})
                for (int s = 0; s < 32; s += 8)
                    header.append(char(v >> s & 0xFF));
            data.prepend(header);
            format = "bmp";
            break;
        }
        default:
            return {};
    }
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kMaxPicturePixels) return {};
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    if (m_pictureBytes + bytes > kMaxTotalPictureBytes) return {};
    QImage image = reader.read();
    if (image.isNull()) return {};
    m_pictureBytes += bytes;
    *width = image.width();
    *height = image.height();
    return image;
}

void Reader::finishPicture() {
    qreal width = 0, height = 0;
    QImage image = decodePicture(&width, &height);
    const bool placeholder = image.isNull();
    if (placeholder) {
        // Metafile extents are in hundredths of a millimetre, bitmap ones in pixels.
        const bool metric = m_pict.kind == PictKind::Other;
        width = metric ? m_pict.picw * 96.0 / 2540 : m_pict.picw;
        height = metric ? m_pict.pich * 96.0 / 2540 : m_pict.pich;
    }
    if (m_pict.goalw > 0) width = m_pict.goalw / kTwipsPerPixel;
    if (m_pict.goalh > 0) height = m_pict.goalh / kTwipsPerPixel;
    if (m_pict.scalex > 0) width = width * m_pict.scalex / 100;
    if (m_pict.scaley > 0) height = height * m_pict.scaley / 100;
    if (!(width >= 1)) width = 32;
    if (!(height >= 1)) height = 32;
    width = std::min(width, kMaxPictureSide);
    height = std::min(height, kMaxPictureSide);

    // What we cannot draw keeps its original, and so does a JPEG, which as PNG grows a lot.
    QByteArray original;
    if ((placeholder || m_pict.kind == PictKind::Jpeg) &&
        m_pictureBytes + m_pict.data.size() <= kMaxTotalPictureBytes) {
        m_pictureBytes += m_pict.data.size();
        original = std::move(m_pict.words);
        original.append(' ').append(m_pict.data);
        m_pict.data = QByteArray();
    }
    // Named by the kind and the bytes: the same bytes as another kind are another picture.
    QString name = imageName(original.isNull() ? m_pict.data : original);
    if (placeholder) name += QStringLiteral("-%1x%2").arg(qRound(width)).arg(qRound(height));
    if (!m_imageNames.contains(name)) {
        if (placeholder) {
            const qint64 bytes = qint64(std::min(qRound(width), kMaxPlaceholderSide)) *
                                 std::min(qRound(height), kMaxPlaceholderSide) * 4;
            image = m_pictureBytes + bytes > kMaxTotalPictureBytes
                        ? placeholderImage(8, 8)
                        : placeholderImage(qRound(width), qRound(height));
            m_pictureBytes += bytes;
        }
        m_doc->addResource(QTextDocument::ImageResource, QUrl(name), QVariant(image));
        m_imageNames.insert(name);
    }
    m_pict = Picture();

    flushAll();
    startBlock();
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(width);
    format.setHeight(height);
    if (!original.isNull()) format.setProperty(kOriginalPicture, original);
    m_cursor.insertImage(format);
}

bool startsAsRtf(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes = bytes.sliced(3);
    while (!bytes.isEmpty() && (bytes.front() == ' ' || bytes.front() == '\t' ||
                                bytes.front() == '\r' || bytes.front() == '\n'))
        bytes = bytes.sliced(1);
    return bytes.startsWith("{\\rtf");
}

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
    Reader reader(doc, fragment);
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

std::optional<OriginalPicture> originalPicture(const QTextFormat& format) {
    const QVariant property = format.property(kOriginalPicture);
    if (property.typeId() != QMetaType::QByteArray) return std::nullopt;
    const QByteArray record = property.toByteArray();
    const qsizetype space = record.indexOf(' ');
    if (space < 0 || space > kMaxPictureWords) return std::nullopt;
    // Only words that describe a picture's data: the writer writes them as they are.
    static const QSet<QByteArrayView> allowed = [] {
        QSet<QByteArrayView> names;
        for (auto it = keywords().cbegin(); it != keywords().cend(); ++it) {
            if (describesPictureData(it->kw)) names.insert(it.key());
        }
        return names;
    }();
    const QByteArrayView words(record.constData(), space);
    qsizetype i = 0;
    while (i < words.size()) {
        if (words[i] != '\\') return std::nullopt;
        const qsizetype start = ++i;
        while (i < words.size() && words[i] >= 'a' && words[i] <= 'z')
            ++i;
        const QByteArrayView name = words.sliced(start, i - start);
        if (name.isEmpty() || (!allowed.contains(name) && !name.endsWith("blip")))
            return std::nullopt;
        if (i < words.size() && words[i] == '-') ++i;
        const qsizetype digits = i;
        while (i < words.size() && words[i] >= '0' && words[i] <= '9')
            ++i;
        if (i - digits > 10 || (digits > 0 && words[digits - 1] == '-' && i == digits))
            return std::nullopt;
    }
    return OriginalPicture{words.toByteArray(), record.sliced(space + 1)};
}

QString imageName(QByteArrayView bytes) {
    return QStringLiteral("rtfimg:") +
           QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
}

}  // namespace rtf
