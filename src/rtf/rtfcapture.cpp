// Taking what the writer needs out of a document, on the document's own thread.
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>
#include <QUrl>
#include <algorithm>

#include "rtf/longparagraphs.h"
#include "rtf/rtf.h"

namespace rtf {
QImage resourceImage(const QTextDocument& doc, const QString& name) {
    const QVariant resource = doc.resource(QTextDocument::ImageResource, QUrl(name));
    switch (resource.typeId()) {
        case QMetaType::QImage:
            return resource.value<QImage>();
        case QMetaType::QPixmap:
            return resource.value<QPixmap>().toImage();
        case QMetaType::QByteArray:
            return QImage::fromData(resource.toByteArray());
        default:
            return {};
    }
}

Snapshot capture(const QTextDocument& doc, int from, int to) {
    Snapshot s;
    s.defaultFamily = doc.defaultFont().family();
    s.formats = doc.allFormats();
    // Up to the end means the last paragraph mark too, as RichEdit saves a document.
    const int docEnd = doc.characterCount();
    const int end = to < 0 ? docEnd : std::clamp(to, 0, docEnd);
    const int start = std::clamp(from, 0, end);
    s.text.reserve(end - start);

    // Looking at each block's format takes a third of the time of a text of short lines.
    const bool pieced =
        std::any_of(s.formats.cbegin(), s.formats.cend(), longparagraphs::marksPiece);
    bool continues = false;  // the first block opens its paragraph in any case
    for (QTextBlock block = doc.findBlock(start); block.isValid();) {
        const int blockPosition = block.position();
        if (blockPosition >= end) break;
        Snapshot::Paragraph paragraph;
        if (!continues) {
            paragraph.format = block.blockFormatIndex();
            if (const QTextList* list = block.textList()) {
                paragraph.listFormat = list->formatIndex();
                paragraph.listItem = list->itemText(block);
            }
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int position = fragment.position();
            const int a = std::max(position, start);
            const int b = std::min(position + fragment.length(), end);
            if (a >= b) continue;
            const int format = fragment.charFormatIndex();
            s.text.append(QStringView(fragment.text()).mid(a - position, b - a));
            s.runs.push_back({format, b - a});
            const QTextFormat& known = s.formats.at(format);
            if (known.isImageFormat()) {
                const QString name = known.toImageFormat().name();
                if (!s.images.contains(name)) s.images.insert(name, resourceImage(doc, name));
            }
        }
        const QTextBlock next = block.next();
        continues = pieced && longparagraphs::continues(next);
        paragraph.closes = blockPosition + block.length() - 1 < end && !continues;
        paragraph.runsEnd = s.runs.size();
        s.paragraphs.push_back(std::move(paragraph));
        block = next;
    }
    return s;
}

}  // namespace rtf
