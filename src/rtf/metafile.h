#pragma once
// Windows metafiles that draw one bitmap: the picture form that every RichEdit shows, the older
// ones (before Windows 8) showing no other. We write them beside a PNG and read them back when
// that is all a file holds.

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QSize>

namespace rtf::metafile {

// Longest side of the bitmap a metafile we write holds: it grows by three bytes a pixel, twice
// that in RTF; a larger picture goes in scaled down (the PNG beside it keeps it whole).
inline constexpr int kMaxSide = 2048;

struct Written {
    QByteArray bytes;  // a standard metafile, no placeable header, as \wmetafile8 takes it
    QSize size;        // of the bitmap in it
};

// A metafile that draws the image, transparency laid on white; empty for a null image.
Written fromImage(const QImage& image);

// The device-independent bitmap (BMP without its file header) of a metafile that draws one
// whole bitmap and nothing else; empty otherwise.
QByteArray bitmapOf(QByteArrayView wmf);

}  // namespace rtf::metafile
