#pragma once
// Parts of the RTF writer: the file's opening, and how numbers and bytes are written.

#include <QByteArray>
#include <QColor>
#include <QStringList>
#include <charconv>
#include <vector>

namespace rtf::detail {

// The writer appends to a std::string: a QByteArray's append of one character is a call into
// Qt, and a 50 MB note makes hundreds of millions of them.
template <typename Out>
void appendHexByte(Out& out, unsigned char b) {
    static const char digits[] = "0123456789abcdef";
    out += "\\'";
    out += digits[b >> 4];
    out += digits[b & 0xF];
}

template <typename Out>
void appendNumber(Out& out, int value) {
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end - digits);
}

// "{\rtf1…" up to the text: the font table (each font with the charset a Windows reader
// expects), the colour table, the generator and \uc1.
QByteArray header(const QStringList& fonts, int symbolFont, const std::vector<QColor>& colours);

}  // namespace rtf::detail
