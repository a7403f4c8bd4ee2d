#include "desktop/directpaint.h"

#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QtMath>
#include <unordered_map>
#include <vector>

#include "desktop/xcbconnection.h"

namespace directpaint {
namespace {

// One request without the big-requests extension carries up to 256 KiB.
constexpr qsizetype kMaxPictureBytes = qsizetype(200) * 1024;

// Whether the server takes Qt's 32-bit pixels (RGB32, ARGB32 premultiplied) as they stand.
bool takesQtPixels(const xcb_setup_t* setup, uint8_t depth) {
    if (depth != 24 && depth != 32) return false;
    const bool serverLsbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    if (serverLsbFirst != (QSysInfo::ByteOrder == QSysInfo::LittleEndian)) return false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
        if (it.data->depth == depth) return it.data->bits_per_pixel == 32;
    }
    return false;
}

// One graphics context per depth serves every window of that depth.
xcb_gcontext_t contextFor(xcb_connection_t* connection, xcb_window_t window, uint8_t depth) {
    static std::unordered_map<uint8_t, xcb_gcontext_t> contexts;
    const auto found = contexts.find(depth);
    if (found != contexts.end()) return found->second;
    const xcb_gcontext_t context = xcb_generate_id(connection);
    const uint32_t noExposures = 0;
    xcb_create_gc(connection, context, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    contexts.emplace(depth, context);
    return context;
}

// The widget's own part: not under a shown sibling stacked above it.
QRegion uncovered(const QWidget* widget) {
    QRegion region = widget->visibleRegion();
    const QWidget* parent = widget->parentWidget();
    if (!parent) return region;
    const QObjectList& siblings = parent->children();
    for (qsizetype i = siblings.indexOf(widget) + 1; i < siblings.size(); ++i) {
        const auto* sibling = qobject_cast<const QWidget*>(siblings[i]);
        if (sibling && sibling->isVisible() && !sibling->isWindow())
            region -= sibling->geometry().translated(-widget->pos());
    }
    return region;
}

class ExposeWatcher : public QObject {
public:
    ExposeWatcher(QWidget* widget, QWindow* window) : QObject(widget), m_widget(widget) {
        window->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Qt puts back its own copy while it handles the event; ours goes after it.
        if (event->type() == QEvent::Expose) {
            QTimer::singleShot(0, m_widget, [widget = m_widget] { paintNow(widget); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_widget;
};

}  // namespace

bool paintNow(QWidget* widget) {
    xcb_connection_t* connection = xcbConnection();
    QWidget* window = widget->window();
    QWindow* handle = window->windowHandle();
    if (!connection || !handle || !widget->isVisible() || !window->testAttribute(Qt::WA_Mapped))
        return false;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const uint8_t depth =
        handle->format().hasAlpha() ? 32 : xcb_setup_roots_iterator(setup).data->root_depth;
    if (!takesQtPixels(setup, depth)) return false;

    const qreal ratio = handle->devicePixelRatio();
    QImage picture(qCeil(widget->width() * ratio), qCeil(widget->height() * ratio),
                   depth == 32 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (picture.isNull() || picture.sizeInBytes() > kMaxPictureBytes) return false;
    picture.setDevicePixelRatio(ratio);
    picture.fill(widget->palette().color(widget->backgroundRole()));
    widget->render(&picture);

    std::vector<xcb_rectangle_t> clip;
    for (const QRect& r : uncovered(widget)) {
        const int left = qFloor(r.x() * ratio);
        const int top = qFloor(r.y() * ratio);
        clip.push_back({int16_t(left), int16_t(top),
                        uint16_t(qCeil((r.right() + 1) * ratio) - left),
                        uint16_t(qCeil((r.bottom() + 1) * ratio) - top)});
    }
    if (clip.empty()) return true;  // wholly covered: nothing of it shows
    const QPoint at = widget->mapTo(window, QPoint(0, 0));
    const auto x = int16_t(qRound(at.x() * ratio));
    const auto y = int16_t(qRound(at.y() * ratio));
    const auto target = xcb_window_t(handle->winId());
    const xcb_gcontext_t context = contextFor(connection, target, depth);
    xcb_set_clip_rectangles(connection, XCB_CLIP_ORDERING_UNSORTED, context, x, y,
                            uint32_t(clip.size()), clip.data());
    xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, target, context, uint16_t(picture.width()),
                  uint16_t(picture.height()), x, y, 0, depth, uint32_t(picture.sizeInBytes()),
                  picture.constBits());
    xcb_flush(connection);
    return true;
}

void repaintAfterExpose(QWidget* widget) {
    if (QWindow* handle = widget->window()->windowHandle()) new ExposeWatcher(widget, handle);
}

}  // namespace directpaint
