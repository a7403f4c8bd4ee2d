#pragma once
// The RTF reader's state and its Reader class, shared by the reader's source files.
// Internal: the API is rtf.h.

#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QSet>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <QTextCursor>
#include <QTextFormat>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class QTextDocument;
class QTextList;

namespace rtf::detail {

constexpr qreal kTwipsPerPixel = 15;

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

enum class PictKind { Unknown, Png, Jpeg, Dib, Bitmap, Metafile, Other };

struct Picture {
    PictKind kind = PictKind::Unknown;
    QByteArray words;  // the control words that describe the data, as read
    QByteArray data;
    int nibble = -1;
    int picw = 0, pich = 0, goalw = 0, goalh = 0, scalex = 100, scaley = 100;
};

// Grouped by the handler that takes them: Reader::word picks the handler by range, so each group
// stays together.
enum Kw : quint8 {
    // destinations
    KwFontTbl,
    KwColorTbl,
    KwPict,
    KwShpPict,
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
    // RichEdit numbering
    KwPn,
    KwPnLvlBlt,
    KwPnLvlBody,
    KwPnLvlCont,
    KwPnLvl,
    KwPnDec,
    KwPnUcLtr,
    KwPnLcLtr,
    KwPnUcRm,
    KwPnLcRm,
    // Word lists
    KwListTable,
    KwListOverrideTable,
    KwList,
    KwListLevel,
    KwListOverride,
    KwLs,
    KwIlvl,
    KwListId,
    KwLevelNfc,
    // picture: last, see describesPictureData()
    KwPngBlip,
    KwJpegBlip,
    KwDibitmap,
    KwWBitmap,
    KwWMetafile,
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
inline bool describesPictureData(Kw kw) {
    return kw >= KwPngBlip && kw != KwPicWGoal && kw != KwPicHGoal && kw != KwPicScaleX &&
           kw != KwPicScaleY;
}

struct Keyword {
    Kw kw;
    char16_t ch = 0;  // KwChar: the character
};

const QHash<QByteArrayView, Keyword>& keywords();

// The code page of a font's \fcharset; 0 for "the document's".
int codePageOfCharset(int charset);

// True when the bytes end in the middle of a character: its remaining bytes may still come.
bool endsInsideCharacter(QByteArrayView bytes, int codePage);

class Reader {
public:
    Reader(QTextDocument* doc, bool fragment) : m_doc(doc), m_cursor(doc), m_fragment(fragment) {}

    void run(QByteArrayView bytes);

private:
    Group& top() { return m_stack.back(); }
    void groupOpen();
    void groupClose();
    void symbol(unsigned char c);
    void textBytes(QByteArrayView bytes);
    void binary(QByteArrayView bytes);

    // A control word, handed on by its kind. The common kinds are inline, defined in
    // rtfkeywords.cpp beside word(), the only caller: it runs for every word of the file.
    void word(QByteArrayView name, bool hasParam, int param);
    inline void destinationWord(Kw kw, Group& g);
    inline void documentWord(Kw kw, Dest dest, bool hasParam, int param);
    inline void textWord(const Keyword& key, Group& g, bool hasParam, int param);
    inline void characterWord(Kw kw, Group& g, bool on, int param);
    inline void paragraphWord(Kw kw, ParaState& para, int param);
    void numberingWord(Kw kw, Group& g, int param);  // rtflists.cpp
    void listWord(Kw kw, Group& g, int param);       // rtflists.cpp
    void pictureWord(Kw kw, int param);              // rtfpictures.cpp

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
    void keepPictureWord(QByteArrayView name, bool hasParam, int param);
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

}  // namespace rtf::detail
