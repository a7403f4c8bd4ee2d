#pragma once
// Our own RTF reader and writer for note content, the icon palette and the clipboard.
//
// In the document, bullet paragraphs belong to a QTextList (ListDisc; numbered lists as
// ListDecimal etc.); pictures are QTextImageFormat characters whose name is imageName() of the
// picture's bytes, with the decoded QImage added as an ImageResource under that name, so
// pictures can move between documents without clashing.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QTextDocument;

namespace rtf {

// Replaces the document's content with the RTF document in bytes. Returns false, leaving the
// document untouched, when the bytes are no RTF; a damaged RTF reads as far as it can.
bool read(QByteArrayView bytes, QTextDocument* doc, QString* error = nullptr);

// As read(), for RTF that is to be inserted into another document (a paste): a paragraph mark
// at the very end stays as an empty last paragraph instead of closing the last one.
bool readFragment(QByteArrayView bytes, QTextDocument* doc, QString* error = nullptr);

// The document as RTF in the flavour Windows RichEdit writes (ANSI code page 936). With a range
// of character positions [from, to), only that part (a selection, for the clipboard); to = -1
// means the end of the document.
QByteArray write(const QTextDocument& doc, int from = 0, int to = -1);

// The resource name of a picture with these encoded bytes: "rtfimg:<sha1 hex>".
QString imageName(QByteArrayView bytes);

}  // namespace rtf
