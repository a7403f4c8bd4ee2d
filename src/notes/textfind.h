#pragma once
// The arithmetic of the rich-text control's findText: which stretch of the text a call searches and
// where the match lies. Pure, so it can be tested without widgets.

#include <optional>

#include <QStringView>

namespace textfind {

// A stretch of text in character positions.
struct Span {
    int start = 0;
    int length = 0;
    int end() const { return start + length; }
    friend bool operator==(const Span&, const Span&) = default;
};

// The stretch a findText call searches, clamped to [0, textLength]:
// - neither start nor end: the selection when there is one, otherwise the whole text;
// - only an end: from the insertion point (the selection's start) to that end;
// - a start: from there to the end given, or to the end of the text.
// An end before the beginning gives an empty stretch.
Span searchRange(int textLength, Span selection, std::optional<int> start, std::optional<int> end);

// The first occurrence of needle lying wholly inside the stretch searchRange gives, ignoring
// letter case, full and half width, and word boundaries. An empty needle matches nothing.
std::optional<Span> find(QStringView text, QStringView needle, Span selection,
                         std::optional<int> start = {}, std::optional<int> end = {});

}  // namespace textfind
