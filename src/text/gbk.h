#pragma once
// Code page 936 (GBK), the ANSI code page of a Chinese Windows system: the encoding of the
// settings file and of the non-Unicode text in RTF content files.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace gbk {

// A byte that starts a double-byte character.
constexpr bool isLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

// Characters GBK cannot hold become "?" (as Windows writes them), never another valid character.
QByteArray encode(QStringView text);

// Invalid or truncated sequences become U+FFFD.
QString decode(QByteArrayView bytes);

// True when every character of the text survives encode() unchanged.
bool canEncode(QStringView text);

// The largest length <= maxBytes that does not end inside a double-byte character.
qsizetype boundaryAtOrBefore(QByteArrayView bytes, qsizetype maxBytes);

}  // namespace gbk
