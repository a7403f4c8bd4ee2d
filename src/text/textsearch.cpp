#include "text/textsearch.h"

namespace textsearch {

namespace {

char16_t foldUnit(char16_t c) {
    if (c >= 0xFF01 && c <= 0xFF5E)
        c = static_cast<char16_t>(c - 0xFF01 + 0x21);
    else if (c == 0x3000)
        c = u' ';
    // A surrogate alone has no case; letters beyond the BMP are left as they are.
    if (QChar::isSurrogate(c)) return c;
    return QChar::toCaseFolded(c);
}

}  // namespace

QString fold(QStringView text) {
    QString folded(text.size(), Qt::Uninitialized);
    QChar* out = folded.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = QChar(foldUnit(text[i].unicode()));
    return folded;
}

Query::Query(QStringView typed) {
    // Folded first: the ideographic space becomes a blank to split at.
    const QString folded = fold(typed);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= folded.size(); ++i) {
        if (i < folded.size() && !folded[i].isSpace()) continue;
        if (i > start) m_words.append(folded.sliced(start, i - start));
        start = i + 1;
    }
}

std::optional<Hit> firstHit(const Text& text, const Query& query) {
    std::optional<Hit> first;
    if (query.isEmpty()) return Hit{};
    for (const QString& word : query.words()) {
        const qsizetype at = text.folded.indexOf(word);
        if (at < 0) return std::nullopt;
        if (!first || at < first->start) first = Hit{at, word.size()};
    }
    return first;
}

}  // namespace textsearch
