#include "dialogs/notelistrows.h"

#include <algorithm>

namespace notelist {

namespace {

constexpr qsizetype kPreviewLength = 300;  // enough for the widest row; the list elides the rest
constexpr qsizetype kBeforeHit = 12;       // characters shown before a hit deep in the text
const QString kCreatedPrefix = QStringLiteral("创建：");

// Where the text after a leading creation line starts; 0 without one.
qsizetype bodyStart(QStringView text) {
    if (!text.startsWith(kCreatedPrefix)) return 0;
    const qsizetype lineEnd = text.indexOf(u'\n');
    return lineEnd < 0 ? text.size() : lineEnd + 1;
}

}  // namespace

QString rowText(int number, const QString& created) {
    return QStringLiteral("   ") + QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0')) +
           QStringLiteral("    ") + created;
}

QString preview(const QString& plainText, bool locked) {
    if (locked) return QStringLiteral("（已加锁）");
    const QStringView text = QStringView(plainText).sliced(bodyStart(plainText));
    return text.first(std::min<qsizetype>(text.size(), kPreviewLength)).toString().simplified();
}

MarkedPreview previewAround(const QString& plainText, textsearch::Hit hit) {
    const qsizetype hitEnd = std::min(hit.start + hit.length, plainText.size());
    qsizetype from = bodyStart(plainText);
    if (hit.start < from) from = 0;
    MarkedPreview out;
    if (hit.start - from > kBeforeHit) {
        from = hit.start - kBeforeHit;
        if (plainText[from].isLowSurrogate()) --from;
        out.text = QStringLiteral("…");
    }
    const qsizetype to = std::min(plainText.size(), std::max(from + kPreviewLength, hitEnd));
    // As simplified() does, keeping track of where the hit goes: blank runs become one blank,
    // none at either end. The words of a hit hold no blanks.
    const qsizetype lead = out.text.size();
    bool blank = false;
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = plainText[i];
        if (c.isSpace()) {
            blank = true;
            continue;
        }
        if (blank && out.text.size() > lead) out.text.append(u' ');
        blank = false;
        if (i == hit.start) out.markStart = out.text.size();
        out.text.append(c);
        if (i + 1 == hitEnd) out.markLength = out.text.size() - out.markStart;
    }
    return out;
}

textsearch::Text searchedText(const textsearch::Text& noteText, bool locked) {
    return locked ? textsearch::Text(preview(QString(), true)) : noteText;
}

}  // namespace notelist
