#pragma once
// The arithmetic of a note's frame: size clamps, where its controls go for a given client
// size, and how a grip drag changes the window. Pure: no widgets.

#include <QList>
#include <QPoint>
#include <QRect>
#include <array>
#include <optional>

namespace notelayout {

// The smallest note, and the height a locked note is pinned to (its title strip), in twips.
constexpr int kMinWidthTwips = 3345;
constexpr int kMinHeightTwips = 638;

enum Grip { Left = 0, Right, Top, Bottom, BottomRight, BottomLeft, TopRight, TopLeft, GripCount };

// Width and height in twips after the clamps of a resize: at least the minimum, and a locked
// note exactly kMinHeightTwips high.
struct SizeTwips {
    int width;
    int height;
};
SizeTwips clampSize(SizeTwips size, bool locked);

// Where the controls go for a client area of sw x sh pixels.
struct Layout {
    int titleLabelLeft;
    QRect richText;
    int deleteButtonLeft;
    int hideButtonLeft;
    std::array<QRect, GripCount> grips;
};
// Grip sizes are their design sizes except for the long side that the layout sets.
Layout layoutFor(int sw, int sh);

// The window geometry in twips after a grip moved from start to current (screen pixels);
// nullopt for an index that is no grip.
struct GeometryTwips {
    double left;
    double top;
    double width;
    double height;
};
std::optional<GeometryTwips> resizeByGrip(const GeometryTwips& window, QPoint start, QPoint current,
                                          int grip);

// Where a window shows: its own place while its title strip can be reached on some screen (a
// piece of it at least kReachable pixels wide and high), otherwise the nearest place inside the
// screen nearest to it, at that screen's edge. No screens: its own place.
constexpr int kReachable = 24;
QPoint reachablePlace(const QRect& window, int titleHeight, const QList<QRect>& screens);

// Where a new note goes: at `place` while no note stands there (its top-left less than `step`
// away in both directions), else `step` lower, again and again, from the top once the screen
// ends at `bottom`, so that no new note hides another. With every place taken, `place`.
QPoint freePlace(QPoint place, int step, int bottom, const QList<QPoint>& taken);

}  // namespace notelayout
