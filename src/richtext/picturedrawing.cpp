#include "richtext/picturedrawing.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <QTextFormat>

#include "rtf/rtf.h"

namespace {

// What the scaled pictures of one document may hold: a few notes' width screenshots.
constexpr int kCacheKilobytes = 32 * 1024;

}  // namespace

PictureDrawing::PictureDrawing(QTextDocument* doc) : QObject(doc), m_scaled(kCacheKilobytes) {}

void PictureDrawing::install(QTextDocument* doc) {
    if (doc->findChild<PictureDrawing*>(QString(), Qt::FindDirectChildrenOnly)) return;
    doc->documentLayout()->registerHandler(QTextFormat::ImageObject, new PictureDrawing(doc));
}

QSizeF PictureDrawing::intrinsicSize(QTextDocument* doc, int, const QTextFormat& format) {
    // As Qt's own drawing sizes it: the size the format gives, a side it leaves out from the
    // picture's proportions, else the picture's own size.
    const QTextImageFormat image = format.toImageFormat();
    const qreal width = image.width(), height = image.height();
    if (width > 0 && height > 0) return {width, height};
    const QImage picture = rtf::resourceImage(*doc, image.name());
    const QSizeF own = picture.isNull() ? QSizeF(16, 16) : picture.deviceIndependentSize();
    if (width > 0) return {width, own.height() * width / own.width()};
    if (height > 0) return {own.width() * height / own.height(), height};
    return own;
}

void PictureDrawing::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int,
                                const QTextFormat& format) {
    const QTextImageFormat image = format.toImageFormat();
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QSize pixels = (rect.size() * ratio).toSize();
    const QString key = image.name() + u'@' + QString::number(pixels.width()) + u'x' +
                        QString::number(pixels.height());
    if (const QPixmap* scaled = m_scaled.object(key)) {
        painter->drawPixmap(rect, *scaled, scaled->rect());
        return;
    }
    const QImage picture = rtf::resourceImage(*doc, image.name());
    if (picture.isNull()) {
        // A picture we do not have (HTML pasted with a web address): its place framed.
        painter->save();
        painter->setPen(QColor(0x90, 0x90, 0x90));
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
        painter->restore();
        return;
    }
    if (picture.size() == pixels || pixels.isEmpty()) {
        painter->drawImage(rect, picture);
        return;
    }
    auto* scaled = new QPixmap(QPixmap::fromImage(
        picture.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    scaled->setDevicePixelRatio(ratio);
    painter->drawPixmap(rect, *scaled, scaled->rect());
    m_scaled.insert(key, scaled, std::max(1, int(qint64(pixels.width()) * pixels.height() / 256)));
}
