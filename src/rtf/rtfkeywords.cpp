// The control words the reader knows, and what each does.

#include <algorithm>
#include <utility>

#include "rtf/rtfreaderstate.h"

namespace rtf::detail {
namespace {

constexpr std::pair<const char*, Kw> kWords[] = {
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
    {"wmetafile", KwWMetafile},
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

// Words that stand for one character.
constexpr std::pair<const char*, char16_t> kCharWords[] = {
    {"emdash", 0x2014},  {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},
    {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},
    {"enspace", 0x2002}, {"qmspace", 0x2005},   {"zwj", 0x200D},       {"zwnj", 0x200C},
    {"ltrmark", 0x200E}, {"rtlmark", 0x200F},
};

}  // namespace

const QHash<QByteArrayView, Keyword>& keywords() {
    static const QHash<QByteArrayView, Keyword> table = [] {
        QHash<QByteArrayView, Keyword> t;
        for (const auto& [name, kw] : kWords)
            t.insert(QByteArrayView(name), {kw});
        for (const auto& [name, ch] : kCharWords)
            t.insert(QByteArrayView(name), {KwChar, ch});
        return t;
    }();
    return table;
}

void Reader::word(QByteArrayView name, bool hasParam, int param) {
    if (m_ucSkip > 0) {
        // A control word in the fallback of \u counts as one skipped character.
        --m_ucSkip;
        return;
    }
    const bool star = m_star;
    m_star = false;
    const QHash<QByteArrayView, Keyword>& table = keywords();
    const auto it = table.constFind(name);
    if (it == table.cend()) {
        if (star && !m_stack.empty()) top().dest = Dest::Skip;
        // A kind of picture newer than this reader: kept, shown as a placeholder.
        if (!star && name.endsWith("blip") && name.size() <= 32 && !m_stack.empty() &&
            top().dest == Dest::Pict) {
            m_pict.kind = PictKind::Other;
            keepPictureWord(name, hasParam, param);
        }
        return;
    }
    if (m_stack.empty()) return;
    Group& g = top();
    const Kw kw = it->kw;
    if (g.dest == Dest::Pict && describesPictureData(kw)) keepPictureWord(name, hasParam, param);

    if (kw < KwAnsi)
        destinationWord(kw, g);
    else if (kw < KwPar)
        documentWord(kw, g.dest, hasParam, param);
    else if (kw < KwPlain)
        textWord(*it, g, hasParam, param);
    else if (kw < KwPard)
        characterWord(kw, g, !hasParam || param != 0, param);
    else if (kw < KwPn)
        paragraphWord(kw, g.para, param);
    else if (kw < KwListTable)
        numberingWord(kw, g, param);
    else if (kw < KwPngBlip)
        listWord(kw, g, param);
    else
        pictureWord(kw, param);
}

void Reader::destinationWord(Kw kw, Group& g) {
    const Dest dest = g.dest;
    switch (kw) {
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
        case KwFldInst:
            if (dest == Dest::Text) {
                flushBytes();
                g.dest = Dest::FieldInst;
                m_fieldInst.clear();
            } else if (dest != Dest::FieldInst) {
                g.dest = Dest::Skip;
            }
            break;
        case KwFldRslt:
            if (dest != Dest::Text || g.symbolField) g.dest = Dest::Skip;
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
        default:
            break;
    }
}

void Reader::documentWord(Kw kw, Dest dest, bool hasParam, int param) {
    switch (kw) {
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
        default:
            break;
    }
}

void Reader::textWord(const Keyword& key, Group& g, bool hasParam, int param) {
    const Dest dest = g.dest;
    switch (key.kw) {
        case KwPar:
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
            emitChar(key.ch);
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
                emitText(QString::number(++m_footnotes), dest, g.chr);
            }
            break;
        default:
            break;
    }
}

void Reader::characterWord(Kw kw, Group& g, bool on, int param) {
    CharState& chr = g.chr;
    switch (kw) {
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
            if (g.dest == Dest::FontTable) {
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
        default:
            break;
    }
}

void Reader::paragraphWord(Kw kw, ParaState& para, int param) {
    switch (kw) {
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
        default:
            break;
    }
}

}  // namespace rtf::detail
