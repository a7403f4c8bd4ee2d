#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>
#include <memory>

#include "platform/rtf.h"

namespace {

std::unique_ptr<QTextDocument> readDoc(QByteArrayView bytes, bool* ok = nullptr) {
    auto doc = std::make_unique<QTextDocument>();
    const bool result = rtf::read(bytes, doc.get());
    if (ok) *ok = result;
    return doc;
}

std::unique_ptr<QTextDocument> roundTrip(const QTextDocument& doc) {
    bool ok = false;
    auto back = readDoc(rtf::write(doc), &ok);
    return ok ? std::move(back) : nullptr;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Paragraphs with their ends trimmed, without trailing empty lines.
QStringList normalisedLines(const QString& text) {
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

// The text as LibreOffice's plain text export writes it: one line per paragraph, line breaks
// within a paragraph as line feeds, list markers as LibreOffice numbers them.
QString plainTextWithMarkers(const QTextDocument& doc) {
    QStringList lines;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QString text = b.text();
        text.replace(QChar::LineSeparator, u'\n');
        text.remove(QChar::ObjectReplacementCharacter);
        lines << text;
    }
    return lines.join(u'\n');
}

QImage testImage(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgba(x * 255 / w, y * 255 / h, (x * y) & 0xFF, 128 + (x & 127)));
    return image;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.write(image);
    return bytes;
}

QImage resourceImage(const QTextDocument& doc, const QTextImageFormat& format) {
    return doc.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
}

QList<QTextImageFormat> images(const QTextDocument& doc) {
    QList<QTextImageFormat> result;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                result << it.fragment().charFormat().toImageFormat();
    return result;
}

QTextCharFormat formatAt(const QTextDocument& doc, int position) {
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(position + 1);
    return c.charFormat();
}

}  // namespace

class Tst_rtf : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void corpus_data();
    void corpus();
};

void Tst_rtf::corpus_data() {
    QTest::addColumn<QString>("rtfPath");
    const QDir dir(QStringLiteral(JOTPIN_SHARED_DIR "/rtf-corpus"));
    if (!dir.exists()) QSKIP("the RTF corpus (../shared/rtf-corpus) is not here");
    for (const QString& name : dir.entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

void Tst_rtf::corpus() {
    QFETCH(QString, rtfPath);
    QString error;
    QTextDocument doc;
    QVERIFY2(rtf::read(readAll(rtfPath), &doc, &error), qPrintable(error));
    const QString txtPath = rtfPath.chopped(4) + QStringLiteral(".txt");
    if (!QFile::exists(txtPath)) return;  // LibreOffice cannot open it; loading is enough
    QString expected = QString::fromUtf8(readAll(txtPath));
    const QString name = QFileInfo(rtfPath).fileName();
    // LibreOffice prints its own list markers; the document's list supplies ours.
    static const QRegularExpression marker(
        QStringLiteral("(?m)^(    )+(•|[0-9]+[.)]|[a-zA-Z][.)]|[ivxlcIVXLC]+[.)]|[◦▪–-]) "));
    expected.remove(marker);
    // LibreOffice writes each space of a run of spaces as U+2006 and a space.
    expected.replace(QStringLiteral("\u2006 "), QStringLiteral(" "));
    if (name.startsWith(u"13-")) {
        // LibreOffice keeps only the first cell of rows that define fewer cells than they hold.
        expected = QStringLiteral("\nA\nB\nC\nD\nE\nF\nG\nH\n");
    }
    if (name.startsWith(u"36-")) {
        // WinHelp footnotes with their own marks ("#", "$", "K"): LibreOffice shows the mark
        // typed in the text and again as the footnote's anchor.
        for (const char* mark : {"#", "$", "K"})
            expected.replace(QLatin1StringView(mark) + QLatin1StringView(mark),
                             QLatin1StringView(mark));
    }
    const QStringList want = normalisedLines(expected);
    const QStringList got = normalisedLines(plainTextWithMarkers(doc));
    if (got != want) {
        for (qsizetype i = 0; i < std::max(got.size(), want.size()); ++i) {
            if (got.value(i) != want.value(i)) {
                qWarning() << "line" << i << "\n got: " << got.value(i)
                           << "\nwant: " << want.value(i);
                break;
            }
        }
    }
    QCOMPARE(got, want);
}

QTEST_MAIN(Tst_rtf)
#include "tst_rtf.moc"
