#include "note/notelayout.h"

#include <algorithm>

#include "platform/units.h"

namespace notelayout {
namespace {

// Design sizes of the eight grips (width, height) in pixels.
constexpr std::array<QSize, GripCount> kGripDesign = {
    QSize(5, 32),  QSize(5, 25),  QSize(32, 8),  QSize(57, 5),
    QSize(11, 11), QSize(11, 11), QSize(11, 11), QSize(11, 11),
};

}  // namespace

SizeTwips clampSize(SizeTwips size, bool locked) {
    if (size.width < kMinWidthTwips) size.width = kMinWidthTwips;
    if (size.height < kMinHeightTwips || locked) size.height = kMinHeightTwips;
    return size;
}

Layout layoutFor(int sw, int sh) {
    Layout l{};
    l.titleLabelLeft = sw - 151;
    l.richText = QRect(3, 25, sw - 8, sh - 28);
    l.deleteButtonLeft = sw - 31;
    l.hideButtonLeft = sw - 55;
    auto grip = [&](Grip g, int left, int top, int width = -1, int height = -1) {
        const QSize design = kGripDesign[g];
        l.grips[g] = QRect(left, top, width < 0 ? design.width() : width,
                           height < 0 ? design.height() : height);
    };
    grip(Left, 0, 10, -1, sh - 60);
    grip(Right, sw - 5, 10, -1, sh - 60);
    grip(Top, 19, -5, sw - 39);
    grip(Bottom, 19, sh - 5, sw - 39);
    grip(BottomRight, sw - 11, sh - 11);
    grip(BottomLeft, 0, sh - 11);
    grip(TopRight, sw - 11, 0);
    grip(TopLeft, 0, 0);
    return l;
}

std::optional<GeometryTwips> resizeByGrip(const GeometryTwips& w, QPoint start, QPoint current,
                                          int grip) {
    const double dx = double(current.x() - start.x()) * units::kTwipsPerPixel;
    const double dy = double(current.y() - start.y()) * units::kTwipsPerPixel;
    switch (grip) {
        case Left:
            return GeometryTwips{w.left + dx, w.top, w.width - dx, w.height};
        case Right:
            return GeometryTwips{w.left, w.top, w.width + dx, w.height};
        case Top:
            return GeometryTwips{w.left, w.top + dy, w.width, w.height - dy};
        case Bottom:
            return GeometryTwips{w.left, w.top, w.width, w.height + dy};
        case BottomRight:
            return GeometryTwips{w.left, w.top, w.width + dx, w.height + dy};
        case BottomLeft:
            return GeometryTwips{w.left + dx, w.top, w.width - dx, w.height + dy};
        case TopRight:
            return GeometryTwips{w.left, w.top + dy, w.width + dx, w.height - dy};
        case TopLeft:
            return GeometryTwips{w.left + dx, w.top + dy, w.width - dx, w.height - dy};
        default:
            return std::nullopt;
    }
}

QPoint reachablePlace(const QRect& window, int titleHeight, const QList<QRect>& screens) {
    const QRect title(window.topLeft(), QSize(window.width(), titleHeight));
    const QRect* nearest = nullptr;
    qint64 nearestDistance = 0;
    for (const QRect& screen : screens) {
        const QRect seen = title.intersected(screen);
        if (seen.width() >= kReachable && seen.height() >= kReachable / 2) return window.topLeft();
        // Distance from the window's middle to the screen, squared.
        const QPoint middle = window.center();
        const qint64 dx = std::max({screen.left() - middle.x(), 0, middle.x() - screen.right()});
        const qint64 dy = std::max({screen.top() - middle.y(), 0, middle.y() - screen.bottom()});
        if (!nearest || dx * dx + dy * dy < nearestDistance) {
            nearest = &screen;
            nearestDistance = dx * dx + dy * dy;
        }
    }
    if (!nearest) return window.topLeft();
    // Inside that screen, as far as the window fits; a window larger than the screen keeps its
    // title strip on it.
    const int x = std::clamp(window.left(), nearest->left(),
                             std::max(nearest->left(), nearest->right() + 1 - window.width()));
    const int y = std::clamp(window.top(), nearest->top(),
                             std::max(nearest->top(), nearest->bottom() + 1 - window.height()));
    return {x, y};
}

QPoint freePlace(QPoint place, int step, int bottom, const QList<QPoint>& taken) {
    if (step <= 0) return place;
    const auto isTaken = [&](QPoint at) {
        return std::any_of(taken.begin(), taken.end(), [&](QPoint p) {
            return std::abs(p.x() - at.x()) < step && std::abs(p.y() - at.y()) < step;
        });
    };
    QPoint at = place;
    for (int tries = bottom / step + 2; tries > 0; --tries) {
        if (!isTaken(at)) return at;
        at.ry() += step;
        if (at.y() + step > bottom) at.setY(0);
    }
    return place;
}

}  // namespace notelayout
