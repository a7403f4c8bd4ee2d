#include "notes/textfind.h"

#include "text/textsearch.h"

#include <algorithm>

namespace textfind {

Span searchRange(int textLength, Span selection, std::optional<int> start, std::optional<int> end) {
    const int length = std::max(textLength, 0);
    const auto clamp = [length](int v) { return std::clamp(v, 0, length); };
    int from = 0;
    int to = length;
    if (start) {
        from = clamp(*start);
        if (end) to = clamp(*end);
    } else if (end) {
        from = clamp(selection.start);
        to = clamp(*end);
    } else if (selection.length > 0) {
        from = clamp(selection.start);
        to = clamp(selection.end());
    }
    return {from, std::max(to - from, 0)};
}

std::optional<Span> find(QStringView text, QStringView needle, Span selection,
                         std::optional<int> start, std::optional<int> end) {
    if (needle.isEmpty()) return std::nullopt;
    const Span range = searchRange(int(text.size()), selection, start, end);
    if (needle.size() > range.length) return std::nullopt;
    // Folded as the search over every note folds: a note found there by "abc" finds its "ＡＢＣ"
    // again, and find next goes on from it.
    const qsizetype at =
        textsearch::fold(text.mid(range.start, range.length)).indexOf(textsearch::fold(needle));
    if (at < 0) return std::nullopt;
    return Span{range.start + int(at), int(needle.size())};
}

}  // namespace textfind
