#pragma once
// Checklists: a paragraph that begins with ☐ (open) or ☑ (ticked) and a space is an item. The
// box is a character of the text, so the store holds it as it is, the Windows program shows it
// as a character, and a paragraph typed that way on either side is an item.

#include <QString>

class QTextBlock;
class QTextCursor;

namespace checklist {

inline constexpr char16_t kOpen = u'\u2610';
inline constexpr char16_t kTicked = u'\u2611';
// The box and the space after it.
inline constexpr int kPrefixLength = 2;

enum class Item { None, Open, Ticked };
Item itemOf(const QString& paragraph);
Item itemOf(const QTextBlock& block);

// The paragraphs of the selection (the caret's paragraph without one) become open items, or,
// when every one is an item already, plain paragraphs again. One step to undo.
void toggleItems(const QTextCursor& selection);
// An item ticked, or a ticked one opened again; false for a paragraph that is no item.
bool tick(const QTextBlock& block);
// Enter at the caret in an item: a new open item after it (with the text after the caret), or,
// in an item with no text, the end of the list (its box goes). False where Enter is not the
// list's to take: no item, a selection, the caret before the text.
bool enter(QTextCursor& cursor);
// A note's text (paragraphs separated by '\n') with each item's box blanked, as searches see it.
QString withoutBoxes(QString text);

}  // namespace checklist
