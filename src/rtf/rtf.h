#pragma once
// Our own RTF reader and writer for note content, the icon palette and the clipboard.
//
// In the document, bullet paragraphs belong to a QTextList (ListDisc; numbered lists as
// ListDecimal etc.); pictures are QTextImageFormat characters whose name is imageName() of the
// picture's bytes, with the decoded QImage added as an ImageResource under that name, so
// pictures can move between documents without clashing.
//
// Pictures we cannot draw (metafiles of more than one bitmap, bitmaps we do not decode) show a
// placeholder; they and every PNG, JPEG and metafile keep the picture as the file held it in the
// property kOriginalPicture of their format, so that writing gives the original back instead of a
// PNG of what we show. The property goes wherever the format goes: undo, fragments, other
// documents. A PNG or JPEG is written with a metafile of it beside it, for RichEdit before
// Windows 8, which shows no other.

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <QTextFormat>
#include <optional>
#include <vector>

class QTextDocument;

namespace rtf {

// True when the bytes start as an RTF document does; read() takes only those.
bool startsAsRtf(QByteArrayView bytes);

// Replaces the document's content with the RTF document in bytes. Returns false, leaving the
// document untouched, when the bytes are no RTF; a damaged RTF reads as far as it can.
bool read(QByteArrayView bytes, QTextDocument* doc, QString* error = nullptr);

// As read(), for RTF that is to be inserted into another document (a paste): a paragraph mark
// at the very end stays as an empty last paragraph instead of closing the last one.
bool readFragment(QByteArrayView bytes, QTextDocument* doc, QString* error = nullptr);

// What the writer needs of a document, taken on the document's thread: a value, so that a huge
// note can be written out on another thread while its document changes on.
struct Snapshot {
    QString defaultFamily;
    QList<QTextFormat> formats;  // the document's formats, by index
    QString text;                // the characters of every run, one after the other
    struct Run {
        int format;  // of the characters
        qsizetype length;
    };
    struct Paragraph {
        int format = -1;      // of the block; -1 for a piece that continues a long paragraph
        int listFormat = -1;  // of the list the block is an item of
        QString listItem;     // the item's number or bullet as shown
        bool closes = false;  // a paragraph mark follows
        size_t runsEnd = 0;   // runs[...runsEnd) are the paragraph's, after those before
    };
    std::vector<Run> runs;
    std::vector<Paragraph> paragraphs;
    QHash<QString, QImage> images;  // the pictures shown, by resource name
};

// The document's characters in [from, to) (to = -1: the end of the document), for write().
Snapshot capture(const QTextDocument& doc, int from = 0, int to = -1);

// The document as RTF in the flavour Windows RichEdit writes (ANSI code page 936). With a range
// of character positions [from, to), only that part (a selection, for the clipboard); to = -1
// means the end of the document.
QByteArray write(const QTextDocument& doc, int from = 0, int to = -1);
QByteArray write(const Snapshot& snapshot);

// A picture as the RTF file held it: the control words that describe its data, without the
// display size (e.g. "\\wmetafile8\\picw2540\\pich1270"), and its bytes.
struct OriginalPicture {
    QByteArray words;
    QByteArray data;
};

inline constexpr int kOriginalPicture = QTextFormat::UserProperty + 0x5254;
// Set on a picture shown as a placeholder: its data could not be drawn.
inline constexpr int kPlaceholderPicture = QTextFormat::UserProperty + 0x5255;

// The original of a picture format, if it keeps one.
std::optional<OriginalPicture> originalPicture(const QTextFormat& format);

// The most pixels a picture may have: a larger one reads as a placeholder, and is not taken in.
inline constexpr qint64 kMaxPicturePixels = qint64(16) * 1024 * 1024;
// The most a document's pictures may hold, as pictureBytes() counts: pictures read beyond it
// are placeholders, and none is taken in beyond it.
inline constexpr qint64 kMaxTotalPictureBytes = qint64(512) * 1024 * 1024;
// What the document's pictures hold: each picture's pixels at four bytes and its original's bytes.
qint64 pictureBytes(const QTextDocument& doc);

// A picture taken into the document from its PNG or JPEG bytes (blip "pngblip" or "jpegblip"):
// the image added as a resource, and a format to insert that keeps the bytes as its original,
// named as the reader names the picture when it reads it back.
QTextImageFormat addPicture(QTextDocument* doc, const QImage& image, QByteArrayView blip,
                            const QByteArray& encoded);

// The picture the document holds under this resource name, whatever form Qt keeps it in; null
// for none.
QImage resourceImage(const QTextDocument& doc, const QString& name);

// The resource name of a picture with these encoded bytes: "rtfimg:<sha1 hex>".
QString imageName(QByteArrayView bytes);

}  // namespace rtf
