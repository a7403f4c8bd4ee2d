#include "notes/pictures.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

#include "rtf/rtf.h"

namespace pictures {
namespace {

// Kinds of picture files we take. Content decides, not the name; and not every kind Qt reads:
// a text file may look like a portable bitmap.
bool isPictureKind(const QByteArray& format) {
    static const QList<QByteArray> kinds = {"png",  "jpeg", "jpg", "gif", "bmp",
                                            "webp", "tiff", "tif", "svg", "svgz"};
    return kinds.contains(format.toLower());
}

QByteArray encode(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0) writer.setQuality(quality);
    return writer.write(image) ? bytes : QByteArray();
}

}  // namespace

QStringList pictureFiles(const QMimeData& mime) {
    QStringList files;
    if (!mime.hasUrls()) return files;
    for (const QUrl& url : mime.urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        if (isPictureKind(QImageReader::imageFormat(path))) files << path;
    }
    return files;
}

bool holdsPicture(const QMimeData& mime) {
    const QStringList types = mime.formats();
    const bool image =
        mime.hasImage() || std::any_of(types.begin(), types.end(), [](const QString& t) {
            return t.startsWith(QLatin1String("image/"));
        });
    return image || !pictureFiles(mime).isEmpty();
}

Taken fromBytes(const QByteArray& bytes, const QByteArray& format) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(true);
    const QByteArray kind = reader.format().toLower();
    const QSize size = reader.size();
    if (!isPictureKind(kind) || !size.isValid()) return {};
    if (qint64(size.width()) * size.height() > rtf::kMaxPicturePixels) return {{}, size};
    Picture picture{reader.read(), {}, {}};
    if (picture.image.isNull()) return {};
    if (kind == "png") {
        picture.encoded = bytes;
        picture.blip = "pngblip";
    } else if ((kind == "jpeg" || kind == "jpg") &&
               reader.transformation() == QImageIOHandler::TransformationNone) {
        picture.encoded = bytes;
        picture.blip = "jpegblip";
    } else if (kind == "jpeg" || kind == "jpg") {
        // Turned as the camera said: stored turned, since no other reader of the store turns it.
        picture.encoded = encode(picture.image, "jpeg", 92);
        picture.blip = "jpegblip";
    } else {
        picture.encoded = encode(picture.image, "png");
        picture.blip = "pngblip";
    }
    if (picture.encoded.isEmpty()) return {};
    return {std::move(picture), {}};
}

Taken fromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) return {};
    return fromBytes(file.readAll());
}

Taken fromMime(const QMimeData& mime) {
    // The kinds a screenshot tool or a browser offers; the encoded ones first, kept as they are.
    for (const char* type : {"image/png", "image/jpeg"}) {
        if (mime.hasFormat(QLatin1String(type))) {
            Taken taken = fromBytes(mime.data(QLatin1String(type)));
            if (taken.picture || taken.tooLarge.isValid()) return taken;
        }
    }
    for (const QString& type : mime.formats()) {
        if (!type.startsWith(QLatin1String("image/"))) continue;
        Taken taken = fromBytes(mime.data(type));
        if (taken.picture || taken.tooLarge.isValid()) return taken;
    }
    // An image of this program, which no one encoded; decoding another's is left to the above.
    if (!mime.hasFormat(QStringLiteral("application/x-qt-image"))) return {};
    const auto image = qvariant_cast<QImage>(mime.imageData());
    if (image.isNull()) return {};
    if (qint64(image.width()) * image.height() > rtf::kMaxPicturePixels) return {{}, image.size()};
    QByteArray png = encode(image, "png");
    if (png.isEmpty()) return {};
    return {Picture{image, std::move(png), "pngblip"}, {}};
}

}  // namespace pictures
