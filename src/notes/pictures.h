#pragma once
// Pictures that come into a note from outside: the clipboard, a drop, a file. Each is measured
// before it is decoded, so that a picture the store could not show again (or one made to take
// all memory) is refused instead of taken.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QStringList>
#include <optional>

class QMimeData;

namespace pictures {

// A picture to put into a note: decoded, and the bytes the note keeps of it.
struct Picture {
    QImage image;
    QByteArray encoded;  // PNG or JPEG
    QByteArray blip;     // its RTF kind: "pngblip" or "jpegblip"
};

struct Taken {
    std::optional<Picture> picture;
    QSize tooLarge;  // valid when a picture was refused for its size
};

// A file of a picture larger than this is not read.
inline constexpr qint64 kMaxFileBytes = qint64(128) * 1024 * 1024;

// The files of this computer among the addresses that hold pictures, by their content, in order.
QStringList pictureFiles(const QMimeData& mime);

// True when the data holds a picture, as image data or as files of pictures.
bool holdsPicture(const QMimeData& mime);

// The picture the data holds as image data (PNG and JPEG kept as they are, any other kind as a
// PNG); none when it holds none.
Taken fromMime(const QMimeData& mime);

// The picture in a file.
Taken fromFile(const QString& path);

// The picture in these bytes; format is the kind they are in ("png"), empty to find out.
Taken fromBytes(const QByteArray& bytes, const QByteArray& format = {});

}  // namespace pictures
