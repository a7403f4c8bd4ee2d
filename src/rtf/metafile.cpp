#include "rtf/metafile.h"

#include <QPainter>
#include <algorithm>
#include <cstring>

namespace rtf::metafile {
namespace {

// Record functions.
constexpr quint16 kEof = 0x0000;
constexpr quint16 kSetWindowOrg = 0x020B;
constexpr quint16 kSetWindowExt = 0x020C;
constexpr quint16 kSetStretchBltMode = 0x0107;
constexpr quint16 kStretchDib = 0x0F43;
constexpr quint16 kDibStretchBlt = 0x0B41;
constexpr quint16 kDibBitBlt = 0x0940;
constexpr quint32 kSrcCopy = 0x00CC0020;
constexpr quint16 kColorOnColor = 3;
constexpr int kHeaderBytes = 18;
constexpr int kInfoHeaderBytes = 40;

void put16(QByteArray& out, quint16 v) {
    out.append(char(v & 0xFF)).append(char(v >> 8));
}

void put32(QByteArray& out, quint32 v) {
    put16(out, quint16(v & 0xFFFF));
    put16(out, quint16(v >> 16));
}

quint16 get16(QByteArrayView in, qsizetype at) {
    return quint16(uchar(in[at]) | uchar(in[at + 1]) << 8);
}

quint32 get32(QByteArrayView in, qsizetype at) {
    return quint32(get16(in, at)) | quint32(get16(in, at + 2)) << 16;
}

void record(QByteArray& out, quint16 function, std::initializer_list<quint16> params) {
    put32(out, quint32(3 + params.size()));
    put16(out, function);
    for (quint16 p : params)
        put16(out, p);
}

// Records that set up the drawing and draw nothing: what a metafile of one bitmap may hold
// beside it.
bool drawsNothing(quint16 function) {
    switch (function) {
        case 0x001E:  // SaveDC
        case 0x0127:  // RestoreDC
        case 0x0102:  // SetBkMode
        case 0x0103:  // SetMapMode
        case 0x0104:  // SetROP2
        case 0x0106:  // SetPolyFillMode
        case kSetStretchBltMode:
        case 0x012E:  // SetTextAlign
        case 0x0201:  // SetBkColor
        case 0x0209:  // SetTextColor
        case kSetWindowOrg:
        case kSetWindowExt:
        case 0x020D:  // SetViewportOrg
        case 0x020E:  // SetViewportExt
        case 0x0149:  // SetLayout
        case 0x0626:  // Escape: comments
        case 0x0416:  // IntersectClipRect
        case 0x0035:  // RealizePalette
        case 0x0234:  // SelectPalette
        case 0x00F7:  // CreatePalette
        case 0x012D:  // SelectObject
        case 0x01F0:  // DeleteObject
        case 0x02FA:  // CreatePenIndirect
        case 0x02FC:  // CreateBrushIndirect
            return true;
        default:
            return false;
    }
}

// The bitmap of one record that draws a bitmap, empty when it draws only a part of it.
QByteArray bitmapOfRecord(QByteArrayView rec, quint16 function) {
    // After the size and the function: the raster operation, then the rectangles.
    qsizetype at = 6 + 4;
    if (function == kStretchDib) at += 2;  // colour usage
    const bool stretched = function != kDibBitBlt;
    if (rec.size() < at + (stretched ? 16 : 12) + kInfoHeaderBytes) return {};
    qint16 srcHeight = 0, srcWidth = 0, ySrc = 0, xSrc = 0;
    if (stretched) {
        srcHeight = qint16(get16(rec, at));
        srcWidth = qint16(get16(rec, at + 2));
        ySrc = qint16(get16(rec, at + 4));
        xSrc = qint16(get16(rec, at + 6));
        at += 16;
    } else {
        ySrc = qint16(get16(rec, at));
        xSrc = qint16(get16(rec, at + 2));
        srcHeight = qint16(get16(rec, at + 4));
        srcWidth = qint16(get16(rec, at + 6));
        at += 12;
    }
    const QByteArrayView dib = rec.sliced(at);
    if (get32(dib, 0) < kInfoHeaderBytes) return {};
    const auto width = qint32(get32(dib, 4));
    const auto height = qint32(get32(dib, 8));
    const qint64 rows = height < 0 ? -qint64(height) : height;
    if (xSrc != 0 || ySrc != 0 || srcWidth != width || srcHeight != rows) return {};
    return dib.toByteArray();
}

}  // namespace

Written fromImage(const QImage& image) {
    if (image.isNull()) return {};
    QSize size = image.size();
    if (std::max(size.width(), size.height()) > kMaxSide)
        size.scale(kMaxSide, kMaxSide, Qt::KeepAspectRatio);
    size = size.expandedTo(QSize(1, 1));
    QImage flat;
    if (size == image.size() && !image.hasAlphaChannel()) {
        flat = image.convertToFormat(QImage::Format_BGR888);
    } else {
        flat = QImage(size, QImage::Format_BGR888);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), size), image);
    }
    const int w = size.width(), h = size.height();
    const qsizetype stride = (qsizetype(w) * 3 + 3) & ~qsizetype(3);
    const qsizetype dibBytes = kInfoHeaderBytes + stride * h;

    QByteArray dib;
    dib.reserve(dibBytes);
    for (quint32 v : {quint32(kInfoHeaderBytes), quint32(w), quint32(h)})
        put32(dib, v);
    put16(dib, 1);                                                     // planes
    put16(dib, 24);                                                    // bits a pixel
    for (quint32 v : {0u, quint32(stride * h), 3780u, 3780u, 0u, 0u})  // 96 dots an inch
        put32(dib, v);
    // Rows bottom up, each blue, green, red, padded to four bytes.
    dib.resize(dibBytes, '\0');
    for (int y = 0; y < h; ++y)
        std::memcpy(dib.data() + kInfoHeaderBytes + stride * (h - 1 - y), flat.constScanLine(y),
                    size_t(w) * 3);

    const auto stretchWords = quint32(3 + 2 + 1 + 8 + dibBytes / 2);
    QByteArray out;
    out.reserve(kHeaderBytes + 64 + dibBytes);
    put16(out, 1);       // in memory
    put16(out, 9);       // header words
    put16(out, 0x0300);  // version
    const qsizetype sizeAt = out.size();
    put32(out, 0);  // size in words, below
    put16(out, 0);  // objects
    put32(out, stretchWords);
    put16(out, 0);
    record(out, kSetWindowOrg, {0, 0});
    record(out, kSetWindowExt, {quint16(h), quint16(w)});
    record(out, kSetStretchBltMode, {kColorOnColor});
    put32(out, stretchWords);
    put16(out, kStretchDib);
    put32(out, kSrcCopy);
    for (int v : {0, h, w, 0, 0, h, w, 0, 0})  // colour usage, source, destination
        put16(out, quint16(v));
    out.append(dib);
    record(out, kEof, {});
    const auto words = quint32(out.size() / 2);
    for (int i = 0; i < 4; ++i)
        out[sizeAt + i] = char(words >> (8 * i) & 0xFF);
    return {out, size};
}

QByteArray bitmapOf(QByteArrayView wmf) {
    if (wmf.size() < kHeaderBytes || get16(wmf, 2) != 9 || get16(wmf, 0) > 2) return {};
    QByteArray found;
    qsizetype at = kHeaderBytes;
    while (at + 6 <= wmf.size()) {
        const qint64 bytes = qint64(get32(wmf, at)) * 2;
        const quint16 function = get16(wmf, at + 4);
        if (function == kEof) break;
        if (bytes < 6 || bytes > wmf.size() - at) return {};
        if (function == kStretchDib || function == kDibStretchBlt || function == kDibBitBlt) {
            if (!found.isEmpty()) return {};  // a collage: not ours to show
            found = bitmapOfRecord(wmf.sliced(at, bytes), function);
            if (found.isEmpty()) return {};
        } else if (!drawsNothing(function)) {
            return {};
        }
        at += bytes;
    }
    return found;
}

}  // namespace rtf::metafile
