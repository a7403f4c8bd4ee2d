#include "rtf/rtftokenizer.h"

#include <algorithm>
#include <limits>

namespace rtf {
namespace {

constexpr bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

Token make(Token::Kind kind) {
    Token t;
    t.kind = kind;
    return t;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

Token Tokenizer::next() {
    const qsizetype size = m_bytes.size();
    while (m_pos < size) {
        const char c = m_bytes[m_pos];
        switch (c) {
            case '{':
                ++m_pos;
                return make(Token::GroupOpen);
            case '}':
                ++m_pos;
                return make(Token::GroupClose);
            case '\r':
            case '\n':
            case '\0':
                ++m_pos;
                continue;
            case '\\': {
                Token t;
                if (controlWord(&t)) return t;
                continue;
            }
            default: {
                const qsizetype start = m_pos;
                while (m_pos < size) {
                    const char d = m_bytes[m_pos];
                    if (d == '{' || d == '}' || d == '\\' || d == '\r' || d == '\n' || d == '\0')
                        break;
                    ++m_pos;
                }
                Token t = make(Token::Text);
                t.data = m_bytes.sliced(start, m_pos - start);
                return t;
            }
        }
    }
    return make(Token::End);
}

bool Tokenizer::controlWord(Token* out) {
    const qsizetype size = m_bytes.size();
    ++m_pos;  // the backslash
    if (m_pos >= size) return false;
    const char c = m_bytes[m_pos];

    if (c == '\'') {
        ++m_pos;
        const int hi = m_pos < size ? hexValue(m_bytes[m_pos]) : -1;
        const int lo = m_pos + 1 < size ? hexValue(m_bytes[m_pos + 1]) : -1;
        if (hi < 0 || lo < 0) {
            // A broken escape is dropped; whatever follows it is read normally.
            if (hi >= 0) ++m_pos;
            return false;
        }
        m_pos += 2;
        out->kind = Token::HexByte;
        out->byte = static_cast<unsigned char>(hi << 4 | lo);
        return true;
    }
    if (c == '\r' || c == '\n') {
        // A backslash before a line break is a paragraph mark.
        ++m_pos;
        out->kind = Token::Word;
        out->data = "par";
        return true;
    }
    if (!isLetter(c)) {
        ++m_pos;
        out->kind = Token::Symbol;
        out->byte = static_cast<unsigned char>(c);
        return true;
    }

    const qsizetype start = m_pos;
    while (m_pos < size && isLetter(m_bytes[m_pos]))
        ++m_pos;
    Token& t = *out;
    t.kind = Token::Word;
    t.data = m_bytes.sliced(start, m_pos - start);

    bool negative = false;
    if (m_pos + 1 < size && m_bytes[m_pos] == '-' && isDigit(m_bytes[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    if (m_pos < size && isDigit(m_bytes[m_pos])) {
        // Saturate instead of overflowing: absurd values are clamped by whoever uses them.
        long long value = 0;
        while (m_pos < size && isDigit(m_bytes[m_pos])) {
            value = std::min<long long>(value * 10 + (m_bytes[m_pos] - '0'),
                                        std::numeric_limits<int>::max() + 1LL);
            ++m_pos;
        }
        if (negative) value = -value;
        t.param = int(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                            std::numeric_limits<int>::max()));
        t.hasParam = true;
    }
    if (m_pos < size && m_bytes[m_pos] == ' ') ++m_pos;

    if (t.data == "bin") {
        const qsizetype length = t.hasParam ? std::clamp<qsizetype>(t.param, 0, size - m_pos) : 0;
        t.kind = Token::Binary;
        t.data = m_bytes.sliced(m_pos, length);
        m_pos += length;
    }
    return true;
}

}  // namespace rtf
