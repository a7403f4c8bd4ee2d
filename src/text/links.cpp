#include "text/links.h"

#include <QRegularExpression>

namespace links {
namespace {

// Punctuation that ends a sentence rather than an address, in either width.
bool trailing(QChar c) {
    static const QString marks = QStringLiteral(".,;:!?'\")]}>，。！？；：、）」』】》”’");
    return marks.contains(c);
}

}  // namespace

QList<Link> in(QStringView paragraph) {
    // An address starts where no Latin word runs into it (Chinese text needs no space before
    // it); it runs to white space or a character no address
    // holds, and gives back the punctuation a sentence puts after it.
    static const QRegularExpression web(
        QStringLiteral(
            R"((?<![A-Za-z0-9_@./-])(?:https?://|file:/|www\.)[^\s<>"'，。！？；：、（）「」『』【】《》“”‘’]+)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression mail(QStringLiteral(
        R"((?<![A-Za-z0-9_@.+-])[A-Za-z0-9._%+-]+@[A-Za-z0-9-]+(?:\.[A-Za-z0-9-]+)*\.[A-Za-z]{2,}(?![\w@-]))"));
    QList<Link> found;
    for (auto it = web.globalMatch(paragraph); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        qsizetype length = m.capturedLength();
        const QStringView text = paragraph.mid(m.capturedStart(), length);
        // A closing bracket stays when the address opened one: (see https://x.org/a_(b)).
        while (length > 0 && trailing(text[length - 1]) &&
               !(text[length - 1] == u')' &&
                 text.left(length).count(u'(') > text.left(length - 1).count(u')')))
            --length;
        QString written = text.left(length).toString();
        const bool bare = written.startsWith(QStringLiteral("www."), Qt::CaseInsensitive);
        if (bare && !written.mid(4).contains(u'.')) continue;  // "www.": no host
        QUrl url(bare ? QStringLiteral("http://") + written : written, QUrl::TolerantMode);
        if (!url.isValid() || (url.scheme() != QStringLiteral("file") && url.host().isEmpty()))
            continue;
        found.append({m.capturedStart(), length, url});
    }
    for (auto it = mail.globalMatch(paragraph); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const bool inside = std::any_of(found.cbegin(), found.cend(), [&m](const Link& l) {
            return m.capturedStart() < l.end() && l.start < m.capturedEnd();
        });
        if (inside) continue;  // https://user@host: part of a web address
        found.append({m.capturedStart(), m.capturedLength(),
                      QUrl(QStringLiteral("mailto:") + m.captured())});
    }
    std::sort(found.begin(), found.end(),
              [](const Link& a, const Link& b) { return a.start < b.start; });
    return found;
}

std::optional<Link> at(QStringView paragraph, qsizetype offset) {
    for (const Link& link : in(paragraph)) {
        if (offset >= link.start && offset < link.end()) return link;
    }
    return std::nullopt;
}

QString address(const QUrl& url) {
    if (url.scheme() == QStringLiteral("mailto")) return url.path();
    return url.toString();
}

}  // namespace links
