// Paragraph formats and lists: Word's list tables (\ls) and RichEdit's numbering (\pn).

#include <QTextBlock>
#include <QTextList>
#include <algorithm>

#include "rtf/rtfreaderstate.h"

namespace rtf::detail {
namespace {

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

}  // namespace

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

void Reader::numberingWord(Kw kw, Group& g, int param) {
    ParaState& para = g.para;
    switch (kw) {
        case KwPn:
            if (g.dest == Dest::Text) {
                g.dest = Dest::Pn;
                para.pnKind = 0;
                para.pnNumbers = QTextListFormat::ListDecimal;
                para.pnLevel = 0;
            } else {
                g.dest = Dest::Skip;
            }
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
        default:
            break;
    }
}

void Reader::listWord(Kw kw, Group& g, int param) {
    const Dest dest = g.dest;
    switch (kw) {
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
        case KwLs:
            if (dest == Dest::ListOverride && !m_overrides.empty()) {
                m_overrides.back().first = param;
                m_listIndexStale = true;
            } else if (dest != Dest::ListOverride) {
                g.para.ls = param;
            }
            break;
        case KwIlvl:
            g.para.ilvl = std::clamp(param, 0, 8);
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
        default:
            break;
    }
}

}  // namespace rtf::detail
