#pragma once
// Qt lays out a paragraph in one go: a paragraph of megabytes holds the GUI thread for seconds
// at every load and keystroke, and past about 16 million characters it never finishes. Such a
// paragraph is therefore held as pieces of at most kMaxPieceLength characters; every piece
// after the first is marked, and the writer, text() and findText() join the pieces again, so the
// split never reaches a file, the clipboard's text or a search.

#include <QList>
#include <QString>

class QTextBlock;
class QTextDocument;
class QTextFormat;

namespace longparagraphs {

inline constexpr int kMaxPieceLength = 1 << 16;

// True for a piece that continues the paragraph before it.
bool continues(const QTextBlock& block);
// True for the format that marks such a piece: a document none of whose formats is one has no
// pieces.
bool marksPiece(const QTextFormat& format);

// Splits every paragraph longer than maxLength, preferably after a space, in one undo step
// (joined to the step before when joinPrevious). Returns whether anything was split.
bool split(QTextDocument* doc, bool joinPrevious = false, int maxLength = kMaxPieceLength);

// Positions of the separators between pieces, ascending; empty for a document without pieces.
QList<int> joins(const QTextDocument& doc);
// The document's text from position `offset` on, as toPlainText() gives it, without the joins
// of a long paragraph's pieces (which toPlainText() gives as line breaks).
QString joined(QString text, const QList<int>& joins, int offset = 0);
// The whole text as the user reads it: paragraphs joined again, each break as CR LF, a picture
// as a space.
QString plainText(const QTextDocument& doc);

}  // namespace longparagraphs
