#pragma once
// Splits RTF bytes into groups, control words, control symbols, escaped bytes and text runs.

#include <QByteArrayView>

namespace rtf {

struct Token {
    enum Kind { End, GroupOpen, GroupClose, Word, Symbol, HexByte, Text, Binary };
    Kind kind = End;
    QByteArrayView data;  // Word: its name; Text: the bytes; Binary: the payload
    int param = 0;
    bool hasParam = false;
    unsigned char byte = 0;  // Symbol: the character; HexByte: the value
};

class Tokenizer {
public:
    explicit Tokenizer(QByteArrayView bytes) : m_bytes(bytes) {}

    Token next();
    qsizetype position() const { return m_pos; }

private:
    // False when the backslash starts nothing usable (a broken escape).
    bool controlWord(Token* out);

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

}  // namespace rtf
