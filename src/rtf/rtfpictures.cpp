// Pictures: their data and size from \pict, decoding, placeholders, and the originals we keep.

#include <QBuffer>
#include <QCryptographicHash>
#include <QImageReader>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>
#include <array>

#include "rtf/metafile.h"
#include "rtf/rtf.h"
#include "rtf/rtfreaderstate.h"

namespace rtf {
namespace detail {
namespace {

// Decoded pictures larger than this become placeholders, and so does everything once the
// document's pictures hold this much memory in total.
constexpr int kMaxPlaceholderSide = 512;
constexpr qreal kMaxPictureSide = 4096;  // displayed size in pixels
// The control words kept with an original picture; more is no real picture.
constexpr qsizetype kMaxPictureWords = 1024;

// A light grey framed box with a cross: visibly a picture we could not show.
QImage placeholderImage(int width, int height) {
    QImage image(std::clamp(width, 1, kMaxPlaceholderSide),
                 std::clamp(height, 1, kMaxPlaceholderSide), QImage::Format_RGB32);
    image.fill(QColor(0xE4, 0xE4, 0xE4));
    const QRgb line = qRgb(0x90, 0x90, 0x90);
    const int w = image.width(), h = image.height();
    for (int x = 0; x < w; ++x) {
        image.setPixel(x, 0, line);
        image.setPixel(x, h - 1, line);
    }
    for (int y = 0; y < h; ++y) {
        image.setPixel(0, y, line);
        image.setPixel(w - 1, y, line);
    }
    const int steps = std::max(w, h);
    for (int s = 0; s < steps; ++s) {
        const int x = s * w / steps, y = s * h / steps;
        image.setPixel(x, y, line);
        image.setPixel(w - 1 - x, y, line);
    }
    return image;
}

// A device-independent bitmap is a BMP file without its 14-byte file header: the header put back.
QByteArray bmpFile(QByteArray dib) {
    if (dib.size() < 40) return {};
    const auto le32 = [&dib](int at) {
        return quint32(uchar(dib[at])) | quint32(uchar(dib[at + 1])) << 8 |
               quint32(uchar(dib[at + 2])) << 16 | quint32(uchar(dib[at + 3])) << 24;
    };
    const quint32 headerSize = le32(0);
    const quint32 bits = uchar(dib[14]) | uchar(dib[15]) << 8;
    quint32 colors = le32(32);
    if (colors == 0 && bits <= 8) colors = 1u << bits;
    const quint32 offset = 14 + std::min<quint32>(headerSize, 1024) + colors * 4;
    const quint32 fileSize = quint32(dib.size()) + 14;
    QByteArray header("BM");
    for (quint32 v : {fileSize, 0u, offset})
        for (int s = 0; s < 32; s += 8)
            header.append(char(v >> s & 0xFF));
    dib.prepend(header);
    return dib;
}

}  // namespace

void Reader::pictureHex(QByteArrayView text) {
    static const auto table = [] {
        std::array<qint8, 256> t;
        t.fill(-1);
        for (int c = '0'; c <= '9'; ++c)
            t[c] = qint8(c - '0');
        for (int c = 'a'; c <= 'f'; ++c)
            t[c] = qint8(c - 'a' + 10);
        for (int c = 'A'; c <= 'F'; ++c)
            t[c] = qint8(c - 'A' + 10);
        return t;
    }();
    QByteArray& data = m_pict.data;
    data.reserve(data.size() + text.size() / 2 + 1);
    int nibble = m_pict.nibble;
    for (char c : text) {
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): the table holds digit values, not characters
        const int v = table[uchar(c)];
        if (v < 0) continue;
        if (nibble < 0) {
            nibble = v;
        } else {
            data.append(char(nibble << 4 | v));
            nibble = -1;
        }
    }
    m_pict.nibble = nibble;
}

void Reader::keepPictureWord(QByteArrayView name, bool hasParam, int param) {
    if (m_pict.words.size() + name.size() + 12 > kMaxPictureWords) return;
    m_pict.words.append('\\').append(name);
    if (hasParam) m_pict.words.append(QByteArray::number(param));
}

void Reader::pictureWord(Kw kw, int param) {
    switch (kw) {
        case KwPngBlip:
            m_pict.kind = PictKind::Png;
            break;
        case KwJpegBlip:
            m_pict.kind = PictKind::Jpeg;
            break;
        case KwDibitmap:
            m_pict.kind = PictKind::Dib;
            break;
        case KwWBitmap:
            m_pict.kind = PictKind::Bitmap;
            break;
        case KwWMetafile:
            m_pict.kind = PictKind::Metafile;
            break;
        case KwOtherPict:
            m_pict.kind = PictKind::Other;
            break;
        case KwPicW:
            m_pict.picw = param;
            break;
        case KwPicH:
            m_pict.pich = param;
            break;
        case KwPicWGoal:
            m_pict.goalw = param;
            break;
        case KwPicHGoal:
            m_pict.goalh = param;
            break;
        case KwPicScaleX:
            m_pict.scalex = param;
            break;
        case KwPicScaleY:
            m_pict.scaley = param;
            break;
        default:
            break;
    }
}

QImage Reader::decodePicture(qreal* width, qreal* height) {
    QByteArray data;
    const char* format = nullptr;
    switch (m_pict.kind) {
        case PictKind::Png:
            data = m_pict.data;
            format = "png";
            break;
        case PictKind::Jpeg:
            data = m_pict.data;
            format = "jpeg";
            break;
        case PictKind::Dib:
            data = bmpFile(m_pict.data);
            format = "bmp";
            break;
        case PictKind::Metafile:
            // Only one that draws a bitmap: what RichEdit writes of a pasted picture.
            data = bmpFile(metafile::bitmapOf(m_pict.data));
            format = "bmp";
            break;
        default:
            return {};
    }
    if (data.isEmpty()) return {};
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kMaxPicturePixels) return {};
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    if (m_pictureBytes + bytes > kMaxTotalPictureBytes) return {};
    QImage image = reader.read();
    if (image.isNull()) return {};
    m_pictureBytes += bytes;
    *width = image.width();
    *height = image.height();
    return image;
}

void Reader::finishPicture() {
    qreal width = 0, height = 0;
    QImage image = decodePicture(&width, &height);
    const bool placeholder = image.isNull();
    if (placeholder) {
        // Metafile extents are in hundredths of a millimetre, bitmap ones in pixels.
        const bool metric = m_pict.kind == PictKind::Other || m_pict.kind == PictKind::Metafile;
        width = metric ? m_pict.picw * 96.0 / 2540 : m_pict.picw;
        height = metric ? m_pict.pich * 96.0 / 2540 : m_pict.pich;
    }
    if (m_pict.goalw > 0) width = m_pict.goalw / kTwipsPerPixel;
    if (m_pict.goalh > 0) height = m_pict.goalh / kTwipsPerPixel;
    if (m_pict.scalex > 0) width = width * m_pict.scalex / 100;
    if (m_pict.scaley > 0) height = height * m_pict.scaley / 100;
    if (!(width >= 1)) width = 32;
    if (!(height >= 1)) height = 32;
    width = std::min(width, kMaxPictureSide);
    height = std::min(height, kMaxPictureSide);

    // Every picture but an uncompressed bitmap keeps its original: what we cannot draw, so as
    // not to lose it; a metafile, which the Windows program shows where it shows no PNG; a PNG
    // or JPEG, so that a save writes its bytes instead of encoding it again (a JPEG as PNG also
    // grows a lot).
    const bool keep = placeholder || m_pict.kind == PictKind::Jpeg ||
                      m_pict.kind == PictKind::Png || m_pict.kind == PictKind::Metafile;
    QByteArray original;
    if (keep && m_pictureBytes + m_pict.data.size() <= kMaxTotalPictureBytes) {
        m_pictureBytes += m_pict.data.size();
        original = std::move(m_pict.words);
        original.append(' ').append(m_pict.data);
        m_pict.data = QByteArray();
    }
    // Named by the kind and the bytes: the same bytes as another kind are another picture.
    QString name = imageName(original.isNull() ? m_pict.data : original);
    if (placeholder) name += QStringLiteral("-%1x%2").arg(qRound(width)).arg(qRound(height));
    if (!m_imageNames.contains(name)) {
        if (placeholder) {
            const qint64 bytes = qint64(std::min(qRound(width), kMaxPlaceholderSide)) *
                                 std::min(qRound(height), kMaxPlaceholderSide) * 4;
            image = m_pictureBytes + bytes > kMaxTotalPictureBytes
                        ? placeholderImage(8, 8)
                        : placeholderImage(qRound(width), qRound(height));
            m_pictureBytes += bytes;
        }
        m_doc->addResource(QTextDocument::ImageResource, QUrl(name), QVariant(image));
        m_imageNames.insert(name);
    }
    m_pict = Picture();

    flushAll();
    startBlock();
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(width);
    format.setHeight(height);
    if (!original.isNull()) format.setProperty(kOriginalPicture, original);
    if (placeholder) format.setProperty(kPlaceholderPicture, true);
    m_cursor.insertImage(format);
}

}  // namespace detail

std::optional<OriginalPicture> originalPicture(const QTextFormat& format) {
    const QVariant property = format.property(kOriginalPicture);
    if (property.typeId() != QMetaType::QByteArray) return std::nullopt;
    const QByteArray record = property.toByteArray();
    const qsizetype space = record.indexOf(' ');
    if (space < 0 || space > detail::kMaxPictureWords) return std::nullopt;
    // Only words that describe a picture's data: the writer writes them as they are.
    static const QSet<QByteArrayView> allowed = [] {
        QSet<QByteArrayView> names;
        for (auto it = detail::keywords().cbegin(); it != detail::keywords().cend(); ++it) {
            if (detail::describesPictureData(it->kw)) names.insert(it.key());
        }
        return names;
    }();
    const QByteArrayView words(record.constData(), space);
    qsizetype i = 0;
    while (i < words.size()) {
        if (words[i] != '\\') return std::nullopt;
        const qsizetype start = ++i;
        while (i < words.size() && words[i] >= 'a' && words[i] <= 'z')
            ++i;
        const QByteArrayView name = words.sliced(start, i - start);
        if (name.isEmpty() || (!allowed.contains(name) && !name.endsWith("blip")))
            return std::nullopt;
        if (i < words.size() && words[i] == '-') ++i;
        const qsizetype digits = i;
        while (i < words.size() && words[i] >= '0' && words[i] <= '9')
            ++i;
        if (i - digits > 10 || (digits > 0 && words[digits - 1] == '-' && i == digits))
            return std::nullopt;
    }
    return OriginalPicture{words.toByteArray(), record.sliced(space + 1)};
}

QTextImageFormat addPicture(QTextDocument* doc, const QImage& image, QByteArrayView blip,
                            const QByteArray& encoded) {
    QByteArray record = '\\' + blip.toByteArray() + "\\picw" + QByteArray::number(image.width()) +
                        "\\pich" + QByteArray::number(image.height());
    record.append(' ').append(encoded);
    const QString name = imageName(record);
    doc->addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat format;
    format.setName(name);
    format.setProperty(kOriginalPicture, record);
    return format;
}

qint64 pictureBytes(const QTextDocument& doc) {
    qint64 bytes = 0;
    QSet<QString> seen;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat()) continue;
            const QString name = format.toImageFormat().name();
            if (seen.contains(name)) continue;
            seen.insert(name);
            const QImage image = resourceImage(doc, name);
            bytes += qint64(image.width()) * image.height() * 4;
            if (const std::optional<OriginalPicture> original = originalPicture(format))
                bytes += original->data.size();
        }
    }
    return bytes;
}

QString imageName(QByteArrayView bytes) {
    return QStringLiteral("rtfimg:") +
           QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
}

}  // namespace rtf
