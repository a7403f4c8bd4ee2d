// The opening of the RTF files the writer makes: the font and colour tables.
#include <QColor>
#include <QStringList>
#include <algorithm>
#include <iterator>

#include "rtf/rtfheader.h"
#include "text/gbk.h"

namespace rtf::detail {
namespace {

// Fonts that hold Chinese (or other CJK) text get \fcharset134, as RichEdit on a Chinese
// system writes them; other readers pick the code page of \'xx text from it.
bool isCjkFamily(const QString& family) {
    for (QChar c : family) {
        if (c.unicode() >= 0x2E80) return true;
    }
    static const char* const known[] = {"simsun",
                                        "nsimsun",
                                        "simhei",
                                        "kaiti",
                                        "fangsong",
                                        "yahei",
                                        "jhenghei",
                                        "dengxian",
                                        "mingliu",
                                        "gothic",
                                        "mincho",
                                        "meiryo",
                                        "malgun",
                                        "gulim",
                                        "batang",
                                        "dotum",
                                        "stsong",
                                        "stheiti",
                                        "stxihei",
                                        "stkaiti",
                                        "stfangsong",
                                        "pingfang",
                                        "hiragino",
                                        "cjk",
                                        "source han",
                                        "wenquanyi",
                                        "wqy",
                                        "ar pl",
                                        "droid sans fallback",
                                        "songti",
                                        "heiti",
                                        "lisu",
                                        "youyuan"};
    const QString lower = family.toLower();
    return std::any_of(std::begin(known), std::end(known),
                       [&](const char* k) { return lower.contains(QLatin1StringView(k)); });
}

}  // namespace

QByteArray header(const QStringList& fonts, int symbolFont, const std::vector<QColor>& colours) {
    QByteArray h("{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl");
    for (qsizetype i = 0; i < fonts.size(); ++i) {
        const QString& name = fonts[i];
        const bool symbol = i == symbolFont;
        h.append("{\\f").append(QByteArray::number(i)).append("\\fnil\\fcharset");
        h.append(symbol ? "2" : isCjkFamily(name) ? "134" : "0").append(' ');
        for (QChar c : name) {
            const char16_t u = c.unicode();
            if (u < 0x20 || u == u';' || u == u'\\' || u == u'{' || u == u'}') continue;
            if (u < 0x80) {
                h.append(char(u));
                continue;
            }
            // Every byte escaped: a GBK trail byte can look like a brace.
            const QByteArray bytes = gbk::encode(QStringView(&c, 1));
            if (bytes == "?") {
                h.append("\\u").append(QByteArray::number(qint16(u))).append('?');
            } else {
                for (char b : bytes)
                    appendHexByte(h, uchar(b));
            }
        }
        h.append(";}");
    }
    h.append("}\r\n");
    if (!colours.empty()) {
        h.append("{\\colortbl ;");
        for (const QColor& c : colours) {
            h.append("\\red").append(QByteArray::number(c.red()));
            h.append("\\green").append(QByteArray::number(c.green()));
            h.append("\\blue").append(QByteArray::number(c.blue())).append(';');
        }
        h.append("}\r\n");
    }
    h.append("{\\*\\generator Jotpin;}\\viewkind4\\uc1\r\n");
    return h;
}

}  // namespace rtf::detail
