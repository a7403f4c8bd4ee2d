#pragma once
// Searching many texts for typed words: every word must occur, in any order. Letters and digits
// typed in full width match their half-width forms and the other way round, and letters match
// without regard to case. Pure, so the rules are tested without widgets.

#include <QString>
#include <QStringList>
#include <optional>

namespace textsearch {

// A text as a search reads it: each UTF-16 unit folded on its own (full-width ASCII forms and
// the ideographic space to their half-width forms, then simple case folding), so positions in
// the folded text are positions in the text.
QString fold(QStringView text);

// What the user typed, split into words at blanks of either width.
class Query {
public:
    Query() = default;
    explicit Query(QStringView typed);
    bool isEmpty() const { return m_words.isEmpty(); }
    const QStringList& words() const { return m_words; }

private:
    QStringList m_words;  // folded
};

// A stretch of the text, in UTF-16 units.
struct Hit {
    qsizetype start = 0;
    qsizetype length = 0;
    friend bool operator==(const Hit&, const Hit&) = default;
};

// A text kept for searching: as it reads, and folded. Build it once per change of the text.
struct Text {
    Text() = default;
    explicit Text(QString text) : plain(std::move(text)), folded(fold(plain)) {}
    QString plain;
    QString folded;
};

// Where the earliest word of the query first occurs, when every word occurs in the text;
// nothing when one is missing. An empty query matches every text with an empty hit at 0.
std::optional<Hit> firstHit(const Text& text, const Query& query);

}  // namespace textsearch
