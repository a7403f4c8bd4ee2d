#pragma once
// Our own RTF reader and writer for note content, the icon palette and the clipboard.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QTextDocument;

namespace rtf {

// Replaces the document's content with the RTF document in bytes. Returns false, leaving the
// document untouched, when the bytes are no RTF; a damaged RTF reads as far as it can.
bool read(QByteArrayView bytes, QTextDocument* doc, QString* error = nullptr);

// The document as RTF in the flavour Windows RichEdit writes (ANSI code page 936). With a range
// of character positions [from, to), only that part (a selection, for the clipboard); to = -1
// means the end of the document.
QByteArray write(const QTextDocument& doc, int from = 0, int to = -1);

}  // namespace rtf
