#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFragment>
#include <QTextList>
#include <memory>

#include "rtf/metafile.h"
#include "rtf/rtf.h"

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
// within a paragraph as line feeds; *listLines tells for each line whether it starts a list item.
QString plainText(const QTextDocument& doc, QList<bool>* listLines) {
    QStringList lines;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QString text = b.text();
        text.remove(QChar::ObjectReplacementCharacter);
        const QStringList parts = text.split(QChar::LineSeparator);
        for (qsizetype i = 0; i < parts.size(); ++i)
            *listLines << (i == 0 && b.textList());
        lines << parts;
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
                for (int i = 0; i < it.fragment().length(); ++i)
                    result << it.fragment().charFormat().toImageFormat();
    return result;
}

// The RTF as RichEdit before Windows 8 reads and saves it: the picture in the group for older
// readers alone, a plain \\pict.
QByteArray asOldRichEditSaves(const QByteArray& rtf) {
    static const QRegularExpression both(
        QStringLiteral(R"(\{\\\*\\shppict\{\\pict[^}]*\}\}\{\\nonshppict(\{\\pict[^}]*\})\})"));
    return QString::fromLatin1(rtf).replace(both, QStringLiteral("\\1")).toLatin1();
}

QByteArray pictureDoc(const QByteArray& pict) {
    return "{\\rtf1\\ansi a{\\pict" + pict + "}b\\par}";
}

// The kept originals of the document's pictures, in order; an empty pair where there is none.
QList<std::pair<QByteArray, QByteArray>> originals(const QTextDocument& doc) {
    QList<std::pair<QByteArray, QByteArray>> result;
    for (const QTextImageFormat& f : images(doc)) {
        const auto original = rtf::originalPicture(f);
        result << (original ? std::pair(original->words, original->data)
                            : std::pair(QByteArray(), QByteArray()));
    }
    return result;
}

bool sameSize(const QTextImageFormat& a, const QTextImageFormat& b) {
    // Goal sizes are in twips, a fifteenth of a pixel.
    return qAbs(a.width() - b.width()) < 0.07 && qAbs(a.height() - b.height()) < 0.07;
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
    void charFormatRoundTrip_data();
    void charFormatRoundTrip();
    void blockFormatRoundTrip_data();
    void blockFormatRoundTrip();
    void textRoundTrip_data();
    void textRoundTrip();
    void listsRoundTrip();
    void hyperlinkRoundTrip();
    void writerFlavour();
    void pngRoundTripIsPixelExact();
    void metafilesOfOneBitmap_data();
    void metafilesOfOneBitmap();
    void pictureSizes_data();
    void pictureSizes();
    void originalPictureRoundTrip_data();
    void originalPictureRoundTrip();
    void originalPictureNames();
    void resizedOriginalPicture();
    void copiedOriginalPicture();
    void foreignOriginalIsNotWritten_data();
    void foreignOriginalIsNotWritten();
    void corpusPicturesRoundTrip_data();
    void corpusPicturesRoundTrip();
    void shippedPalette();
    void rangeWrite_data();
    void rangeWrite();
    void fragmentKeepsFinalParagraphMark();
    void richEditBullets();
    void richEditPicture();
    void richEditSplitCharacters();
    void corpus_data();
    void corpus();
    void badInput_data();
    void badInput();
    void deepNesting();
};

void Tst_rtf::charFormatRoundTrip_data() {
    QTest::addColumn<QTextCharFormat>("format");
    const auto row = [](const char* name, auto set) {
        QTextCharFormat f;
        set(f);
        QTest::newRow(name) << f;
    };
    row("bold", [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); });
    row("italic", [](QTextCharFormat& f) { f.setFontItalic(true); });
    row("underline", [](QTextCharFormat& f) { f.setFontUnderline(true); });
    row("strike", [](QTextCharFormat& f) { f.setFontStrikeOut(true); });
    row("family", [](QTextCharFormat& f) { f.setFontFamilies({QStringLiteral("Arial")}); });
    row("chinese family", [](QTextCharFormat& f) { f.setFontFamilies({QStringLiteral("宋体")}); });
    // GBK trail bytes 0x7B, 0x7D and 0x5C look like "{", "}" and "\\".
    row("family with brace-like bytes",
        [](QTextCharFormat& f) { f.setFontFamilies({QStringLiteral("亄亇乗 한")}); });
    row("size", [](QTextCharFormat& f) { f.setFontPointSize(10.5); });
    row("foreground", [](QTextCharFormat& f) { f.setForeground(QColor(12, 34, 56)); });
    row("background", [](QTextCharFormat& f) { f.setBackground(QColor(255, 255, 0)); });
    row("superscript",
        [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSuperScript); });
    row("subscript",
        [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSubScript); });
    row("everything", [](QTextCharFormat& f) {
        f.setFontWeight(QFont::Bold);
        f.setFontItalic(true);
        f.setFontUnderline(true);
        f.setFontStrikeOut(true);
        f.setFontFamilies({QStringLiteral("Microsoft YaHei")});
        f.setFontPointSize(22);
        f.setForeground(QColor(Qt::red));
        f.setBackground(QColor(Qt::cyan));
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    });
}

void Tst_rtf::charFormatRoundTrip() {
    QFETCH(QTextCharFormat, format);
    // Formatted text between plain text, so that switching on and off both get written.
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("plain "));
    c.insertText(QStringLiteral("styled 中文"), format);
    c.insertText(QStringLiteral(" plain"), QTextCharFormat());
    const auto back = roundTrip(doc);
    QVERIFY(back);
    QCOMPARE(back->toPlainText(), doc.toPlainText());
    const QTextCharFormat styled = formatAt(*back, 8);
    const QMap<int, QVariant> props = format.properties();
    for (auto it = props.cbegin(); it != props.cend(); ++it)
        QCOMPARE(styled.property(it.key()), it.value());
    const QTextCharFormat after = formatAt(*back, doc.characterCount() - 2);
    for (auto it = props.cbegin(); it != props.cend(); ++it)
        QVERIFY2(!after.hasProperty(it.key()), "format leaks into the following text");
}

void Tst_rtf::blockFormatRoundTrip_data() {
    QTest::addColumn<QTextBlockFormat>("format");
    const auto row = [](const char* name, auto set) {
        QTextBlockFormat f;
        set(f);
        QTest::newRow(name) << f;
    };
    row("centre", [](QTextBlockFormat& f) { f.setAlignment(Qt::AlignHCenter); });
    row("right", [](QTextBlockFormat& f) { f.setAlignment(Qt::AlignRight); });
    row("justify", [](QTextBlockFormat& f) { f.setAlignment(Qt::AlignJustify); });
    row("left margin", [](QTextBlockFormat& f) { f.setLeftMargin(48); });
    row("right margin", [](QTextBlockFormat& f) { f.setRightMargin(20); });
    row("first line", [](QTextBlockFormat& f) { f.setTextIndent(-12); });
    row("space before", [](QTextBlockFormat& f) { f.setTopMargin(8); });
    row("space after", [](QTextBlockFormat& f) { f.setBottomMargin(13.4); });
    row("everything", [](QTextBlockFormat& f) {
        f.setAlignment(Qt::AlignRight);
        f.setLeftMargin(24);
        f.setRightMargin(4);
        f.setTextIndent(24);
        f.setTopMargin(2);
        f.setBottomMargin(6);
    });
}

void Tst_rtf::blockFormatRoundTrip() {
    QFETCH(QTextBlockFormat, format);
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("before"));
    c.insertBlock(format);
    c.insertText(QStringLiteral("formatted"));
    c.insertBlock(QTextBlockFormat());
    c.insertText(QStringLiteral("after"));
    const auto back = roundTrip(doc);
    QVERIFY(back);
    QCOMPARE(back->blockCount(), 3);
    const QTextBlockFormat got = back->findBlockByNumber(1).blockFormat();
    QCOMPARE(got.alignment() & Qt::AlignHorizontal_Mask,
             format.alignment() & Qt::AlignHorizontal_Mask);
    // Twips hold a fifteenth of a pixel.
    QVERIFY(qAbs(got.leftMargin() - format.leftMargin()) < 0.07);
    QVERIFY(qAbs(got.rightMargin() - format.rightMargin()) < 0.07);
    QVERIFY(qAbs(got.textIndent() - format.textIndent()) < 0.07);
    QVERIFY(qAbs(got.topMargin() - format.topMargin()) < 0.07);
    QVERIFY(qAbs(got.bottomMargin() - format.bottomMargin()) < 0.07);
    const QTextBlockFormat after = back->findBlockByNumber(2).blockFormat();
    QCOMPARE(after.leftMargin(), 0.0);
    QCOMPARE(after.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

void Tst_rtf::textRoundTrip_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("ascii") << QStringLiteral("Hello, world");
    QTest::newRow("rtf specials") << QStringLiteral("a\\b {braces} \\par } {");
    QTest::newRow("chinese") << QStringLiteral("便签：今天下午三点开会，别忘了带资料。");
    QTest::newRow("gbk trail bytes like ascii") << QStringLiteral("丂乗乣 \\ 乗{乣}");
    QTest::newRow("not in gbk") << QStringLiteral("한국어 ﬁ ก ẞ");
    QTest::newRow("single byte fallback") << QStringLiteral("€ é ü ·");
    QTest::newRow("outside bmp") << QStringLiteral("😀 𠀀 x");
    QTest::newRow("tab and line break")
        << QStringLiteral("a\tb") + QChar(QChar::LineSeparator) + u'c';
    QTest::newRow("paragraphs") << QStringLiteral("one\ntwo\n\nfour\n");
    QTest::newRow("spaces") << QStringLiteral("  lead and trail  ");
    QTest::newRow("digits after unicode") << QStringLiteral("中1 中a 中?");
}

void Tst_rtf::textRoundTrip() {
    QFETCH(QString, text);
    QTextDocument doc;
    doc.setPlainText(text);
    const auto back = roundTrip(doc);
    QVERIFY(back);
    QCOMPARE(back->toPlainText(), doc.toPlainText());
    QCOMPARE(back->blockCount(), doc.blockCount());
}

void Tst_rtf::listsRoundTrip() {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("intro"));
    c.insertBlock();
    c.createList(QTextListFormat::ListDisc);
    c.insertText(QStringLiteral("苹果"));
    c.insertBlock();
    c.insertText(QStringLiteral("milk"));
    c.insertBlock(QTextBlockFormat());
    c.insertText(QStringLiteral("between"));
    c.insertBlock();
    c.createList(QTextListFormat::ListDecimal);
    c.insertText(QStringLiteral("first"));
    c.insertBlock();
    c.insertText(QStringLiteral("second"));
    c.insertBlock(QTextBlockFormat());
    c.createList(QTextListFormat::ListLowerAlpha);
    c.insertText(QStringLiteral("letter"));
    c.insertBlock(QTextBlockFormat());
    c.insertText(QStringLiteral("end"));

    const auto back = roundTrip(doc);
    QVERIFY(back);
    QCOMPARE(back->toPlainText(), doc.toPlainText());
    const auto list = [&](int n) { return back->findBlockByNumber(n).textList(); };
    QVERIFY(!list(0));
    QVERIFY(list(1));
    QCOMPARE(list(1)->format().style(), QTextListFormat::ListDisc);
    QCOMPARE(list(2), list(1));
    QVERIFY(!list(3));
    QVERIFY(list(4));
    QCOMPARE(list(4)->format().style(), QTextListFormat::ListDecimal);
    QCOMPARE(list(5), list(4));
    QCOMPARE(list(5)->itemNumber(back->findBlockByNumber(5)), 1);
    QVERIFY(list(6) && list(6) != list(5));
    QCOMPARE(list(6)->format().style(), QTextListFormat::ListLowerAlpha);
    QVERIFY(!list(7));
    // The list draws the indent: the bullet paragraph has no margin of its own.
    QCOMPARE(back->findBlockByNumber(1).blockFormat().leftMargin(), 0.0);
    QCOMPARE(back->findBlockByNumber(1).blockFormat().textIndent(), 0.0);
}

void Tst_rtf::hyperlinkRoundTrip() {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("see "));
    QTextCharFormat link;
    link.setAnchor(true);
    // A target that needs \\uc2 and \\uc1: the \\uc in the instruction's group must not leak.
    link.setAnchorHref(QStringLiteral("https://한.org/例子?b=\"c\""));
    link.setFontUnderline(true);
    c.insertText(QStringLiteral("这里"), link);
    c.insertText(QStringLiteral(" 中文"), QTextCharFormat());
    const auto back = roundTrip(doc);
    QVERIFY(back);
    QCOMPARE(back->toPlainText(), doc.toPlainText());
    const QTextCharFormat got = formatAt(*back, 4);
    QVERIFY(got.isAnchor());
    QCOMPARE(got.anchorHref(), QStringLiteral("https://한.org/例子?b=%22c%22"));
    QVERIFY(got.fontUnderline());
    QVERIFY(!formatAt(*back, 7).isAnchor());
}

void Tst_rtf::writerFlavour() {
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat song;
    song.setFontFamilies({QStringLiteral("宋体")});
    c.insertText(QStringLiteral("中{x}€😀"), song);
    c.insertBlock();
    c.createList(QTextListFormat::ListDisc);
    c.insertText(QStringLiteral("item"));
    const QByteArray out = rtf::write(doc);
    QVERIFY(out.startsWith("{\\rtf1\\ansi\\ansicpg936\\deff0"));
    QVERIFY(out.contains("\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}"));
    QVERIFY(out.contains("\\uc2\\u20013\\'d6\\'d0"));
    QVERIFY(out.contains("\\{x\\}"));
    QVERIFY(out.contains("\\uc1\\u8364\\'80") || out.contains("\\u8364\\'80"));
    QVERIFY(out.contains("\\u-10179?\\u-8704?"));
    QVERIFY(out.contains("{\\pntext\\f"));
    QVERIFY(out.contains("\\pnlvlblt"));
    QVERIFY(out.contains("\\fi-360\\li360"));
    QVERIFY(out.contains("\\par"));
    for (char ch : out)
        QVERIFY2(uchar(ch) < 0x80, "the writer writes 7-bit RTF");
}

void Tst_rtf::pngRoundTripIsPixelExact() {
    const QImage image = testImage(37, 23);
    QTextDocument doc;
    const QString name = rtf::imageName("any bytes");
    doc.addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("图 "));
    QTextImageFormat f;
    f.setName(name);
    f.setWidth(74);
    f.setHeight(11.5);
    c.insertImage(f);
    c.insertImage(f);
    c.insertText(QStringLiteral(" end"));

    const QByteArray out = rtf::write(doc);
    QVERIFY(
        out.contains("{\\*\\shppict{\\pict\\pngblip\\picw37\\pich23\\picwgoal1110\\pichgoal173"));
    QCOMPARE(out.count(
                 "}}{\\nonshppict{\\pict\\wmetafile8\\picw979\\pich609\\picwgoal1110\\pichgoal173"),
             2);
    QTextDocument back;
    QVERIFY(rtf::read(out, &back));
    const QList<QTextImageFormat> got = images(back);
    QCOMPARE(got.size(), 2);
    QCOMPARE(got[0].name(), got[1].name());
    QVERIFY(got[0].name().startsWith(u"rtfimg:"));
    QCOMPARE(got[0].width(), 74.0);
    QVERIFY(qAbs(got[0].height() - 11.5) < 0.07);
    QCOMPARE(resourceImage(back, got[0]).convertToFormat(QImage::Format_ARGB32), image);
    QCOMPARE(back.toPlainText(), doc.toPlainText());

    // A second read names the picture the same: names come from the bytes.
    QTextDocument again;
    QVERIFY(rtf::read(out, &again));
    QCOMPARE(images(again).value(0).name(), got[0].name());

    // What the Windows program shows and saves: the metafile, the picture laid on white.
    const QByteArray old = asOldRichEditSaves(out);
    QVERIFY(!old.contains("pngblip") && old.count("{\\pict\\wmetafile8") == 2);
    QTextDocument windows;
    QVERIFY(rtf::read(old, &windows));
    const QList<QTextImageFormat> shown = images(windows);
    QCOMPARE(shown.size(), 2);
    QVERIFY(sameSize(shown[0], got[0]));
    QImage onWhite(image.size(), QImage::Format_RGB32);
    onWhite.fill(Qt::white);
    QPainter(&onWhite).drawImage(0, 0, image);
    QCOMPARE(resourceImage(windows, shown[0]).convertToFormat(QImage::Format_RGB32), onWhite);
    // Kept as the metafile it is, not made a PNG again.
    QCOMPARE(asOldRichEditSaves(rtf::write(windows)), old);
}

void Tst_rtf::metafilesOfOneBitmap_data() {
    // A metafile we write, then changed: its header (18 bytes), window origin and extent (10
    // each), stretch mode (8), the bitmap's record from byte 46, the end record (6).
    const QByteArray wmf = rtf::metafile::fromImage(testImage(6, 4)).bytes;
    const qsizetype bitmapAt = 46, endAt = wmf.size() - 6;
    QTest::addColumn<QByteArray>("wmf");
    QTest::addColumn<bool>("shown");
    QTest::newRow("one bitmap") << wmf << true;
    QTest::newRow("and a line") << QByteArray(wmf).insert(
                                       endAt, QByteArray::fromHex("05000000130201000200"))
                                << false;
    QTest::newRow("two bitmaps") << QByteArray(wmf).insert(endAt,
                                                           wmf.mid(bitmapAt, endAt - bitmapAt))
                                 << false;
    QByteArray cropped = wmf;
    cropped[bitmapAt + 14] = 3;  // source width 3 of 6
    QTest::newRow("part of it") << cropped << false;
    QByteArray overlong = wmf;
    overlong[bitmapAt + 3] = char(0x7f);  // a record longer than the file
    QTest::newRow("record past the end") << overlong << false;
    QTest::newRow("cut short") << wmf.left(wmf.size() / 2) << false;
}

void Tst_rtf::metafilesOfOneBitmap() {
    QFETCH(QByteArray, wmf);
    QFETCH(bool, shown);
    const auto doc = readDoc(pictureDoc("\\wmetafile8\\picw159\\pich106 " + wmf.toHex()));
    const QList<QTextImageFormat> got = images(*doc);
    QCOMPARE(got.size(), 1);
    QCOMPARE(got[0].boolProperty(rtf::kPlaceholderPicture), !shown);
    if (shown) QCOMPARE(resourceImage(*doc, got[0]).size(), QSize(6, 4));
    // Written back as it was, whether shown or not.
    QCOMPARE(originals(*doc).value(0).second, wmf);
}

void Tst_rtf::pictureSizes_data() {
    QTest::addColumn<QByteArray>("pict");
    QTest::addColumn<QSizeF>("size");
    QTest::addColumn<bool>("placeholder");
    const QByteArray png = encoded(testImage(40, 20), "png").toHex();
    const QByteArray jpeg = encoded(testImage(40, 20), "jpeg").toHex();
    QTest::newRow("png natural size") << "\\pngblip " + png << QSizeF(40, 20) << false;
    QTest::newRow("png goal") << "\\pngblip\\picwgoal1500\\pichgoal300 " + png << QSizeF(100, 20)
                              << false;
    QTest::newRow("png goal and scale")
        << "\\pngblip\\picw40\\pich20\\picwgoal600\\pichgoal300\\picscalex50\\picscaley200 " + png
        << QSizeF(20, 40) << false;
    QTest::newRow("jpeg") << "\\jpegblip\\picwgoal900\\pichgoal450 " + jpeg << QSizeF(60, 30)
                          << false;
    QTest::newRow("jpeg as binary")
        << "\\jpegblip\\bin" + QByteArray::number(jpeg.size() / 2) + " " + QByteArray::fromHex(jpeg)
        << QSizeF(40, 20) << false;
    QTest::newRow("metafile") << QByteArray("\\wmetafile8\\picw2540\\pich1270 010009000003")
                              << QSizeF(96, 48) << true;
    QTest::newRow("emf with goal")
        << QByteArray("\\emfblip\\picwgoal450\\pichgoal300 0100") << QSizeF(30, 20) << true;
    QTest::newRow("broken png") << QByteArray("\\pngblip\\picwgoal300\\pichgoal150 89504e47")
                                << QSizeF(20, 10) << true;
}

void Tst_rtf::pictureSizes() {
    QFETCH(QByteArray, pict);
    QFETCH(QSizeF, size);
    QFETCH(bool, placeholder);
    const auto doc = readDoc(QByteArray("{\\rtf1\\ansi a{\\pict" + pict + "}b\\par}"));
    QCOMPARE(doc->toPlainText(), QStringLiteral("a") + QChar::ObjectReplacementCharacter + u'b');
    const QList<QTextImageFormat> got = images(*doc);
    QCOMPARE(got.size(), 1);
    QCOMPARE(QSizeF(got[0].width(), got[0].height()), size);
    const QImage image = resourceImage(*doc, got[0]);
    QVERIFY(!image.isNull());
    if (placeholder) {
        QCOMPARE(image.size(), size.toSize());
        QCOMPARE(image.pixelColor(image.width() / 2, 1), QColor(0xE4, 0xE4, 0xE4));
    } else {
        QCOMPARE(image.size(), QSize(40, 20));
    }
}

void Tst_rtf::originalPictureRoundTrip_data() {
    QTest::addColumn<QByteArray>("pict");
    QTest::addColumn<QByteArray>("words");  // the original's control words
    QTest::addColumn<QByteArray>("data");   // and its bytes
    QTest::addColumn<QSizeF>("size");
    QTest::addColumn<bool>("placeholder");
    QTest::newRow("wmf") << QByteArray("\\wmetafile8\\picw2540\\pich1270 0100090000031a")
                         << QByteArray("\\wmetafile8\\picw2540\\pich1270")
                         << QByteArray::fromHex("0100090000031a") << QSizeF(96, 48) << true;
    // Goal and scale give the shown size; the tag and \picbmp stay, the uid is not data.
    QTest::newRow("emf with goal, scale and tag")
        << QByteArray(
               "\\emfblip\\picw100\\pich50\\picwgoal600\\pichgoal300\\picscalex50"
               "\\picscaley200\\bliptag-1234{\\*\\blipuid 00ff}\\picbmp 01000000")
        << QByteArray("\\emfblip\\picw100\\pich50\\bliptag-1234\\picbmp")
        << QByteArray::fromHex("01000000") << QSizeF(20, 40) << true;
    const QByteArray binary("{}\\\0\xff\r", 6);
    QTest::newRow("wmf as binary")
        << "\\wmetafile8\\picw2540\\pich2540\\bin6 " + binary
        << QByteArray("\\wmetafile8\\picw2540\\pich2540") << binary << QSizeF(96, 96) << true;
    QTest::newRow("dib we cannot decode")
        << QByteArray("\\dibitmap0\\wbmwidthbytes4\\picw3\\pich2 28000000")
        << QByteArray("\\dibitmap0\\wbmwidthbytes4\\picw3\\pich2")
        << QByteArray::fromHex("28000000") << QSizeF(3, 2) << true;
    QTest::newRow("wbitmap")
        << QByteArray(
               "\\wbitmap0\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes2\\picw16\\pich2 ffff0000")
        << QByteArray("\\wbitmap0\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes2\\picw16\\pich2")
        << QByteArray::fromHex("ffff0000") << QSizeF(16, 2) << true;
    QTest::newRow("pm metafile") << QByteArray("\\pmmetafile8\\picw2540\\pich2540 0a0b")
                                 << QByteArray("\\pmmetafile8\\picw2540\\pich2540")
                                 << QByteArray::fromHex("0a0b") << QSizeF(96, 96) << true;
    QTest::newRow("mac pict") << QByteArray("\\macpict\\picwgoal300\\pichgoal150 0000")
                              << QByteArray("\\macpict") << QByteArray(2, 0) << QSizeF(20, 10)
                              << true;
    QTest::newRow("unknown blip") << QByteArray("\\svgblip\\picwgoal300\\pichgoal150 3c7376673e")
                                  << QByteArray("\\svgblip") << QByteArray("<svg>")
                                  << QSizeF(20, 10) << true;
    QTest::newRow("no kind") << QByteArray("\\picwgoal300\\pichgoal150 abcd") << QByteArray()
                             << QByteArray::fromHex("abcd") << QSizeF(20, 10) << true;
    QTest::newRow("broken png") << QByteArray("\\pngblip\\picwgoal300\\pichgoal150 89504e47")
                                << QByteArray("\\pngblip") << QByteArray::fromHex("89504e47")
                                << QSizeF(20, 10) << true;
    const QByteArray jpeg = encoded(testImage(40, 20), "jpeg");
    QTest::newRow("jpeg") << "\\jpegblip\\picw40\\pich20\\picwgoal900\\pichgoal450 " + jpeg.toHex()
                          << QByteArray("\\jpegblip\\picw40\\pich20") << jpeg << QSizeF(60, 30)
                          << false;
}

void Tst_rtf::originalPictureRoundTrip() {
    QFETCH(QByteArray, pict);
    QFETCH(QByteArray, words);
    QFETCH(QByteArray, data);
    QFETCH(QSizeF, size);
    QFETCH(bool, placeholder);
    const auto doc = readDoc(pictureDoc(pict));
    const QList<QTextImageFormat> got = images(*doc);
    QCOMPARE(got.size(), 1);
    QCOMPARE(QSizeF(got[0].width(), got[0].height()), size);
    QCOMPARE(originals(*doc), (QList{std::pair(words, data)}));
    const QImage shown = resourceImage(*doc, got[0]);
    if (placeholder) {
        QCOMPARE(shown.size(), size.toSize());
        QCOMPARE(shown.pixelColor(0, 0), QColor(0x90, 0x90, 0x90));  // the placeholder's frame
    } else {
        QCOMPARE(shown.size(), QSize(40, 20));
    }

    const QByteArray out = rtf::write(*doc);
    const QByteArray group = "{\\pict" + words + "\\picwgoal" +
                             QByteArray::number(qRound(size.width() * 15)) + "\\pichgoal" +
                             QByteArray::number(qRound(size.height() * 15)) + "\r\n" +
                             data.left(64).toHex();
    QVERIFY2(out.contains(group), out.left(400).constData());
    // The original instead of a PNG, not besides it; a JPEG also as a metafile for old RichEdit.
    QCOMPARE(out.count("{\\pict"), placeholder ? 1 : 2);
    QCOMPARE(out.contains("}{\\nonshppict{\\pict\\wmetafile8"), !placeholder);

    QTextDocument back;
    QVERIFY(rtf::read(out, &back));
    QCOMPARE(back.toPlainText(), doc->toPlainText());
    const QList<QTextImageFormat> again = images(back);
    QCOMPARE(again.size(), 1);
    QCOMPARE(originals(back), originals(*doc));
    QVERIFY(sameSize(again[0], got[0]));
    QCOMPARE(again[0].name(), got[0].name());
    QCOMPARE(rtf::write(back), out);
}

void Tst_rtf::originalPictureNames() {
    // The same bytes as another kind or at another size are another picture.
    const auto doc = readDoc(
        "{\\rtf1 {\\pict\\wmetafile8\\picw2540\\pich2540 0102}{\\pict\\emfblip\\picw2540"
        "\\pich2540 0102}{\\pict\\wmetafile8\\picw2540\\pich2540 0102}"
        "{\\pict\\wmetafile8\\picw2540\\pich2540\\picwgoal300\\pichgoal300 0102}"
        "{\\pict\\pngblip\\picw2540\\pich2540 0102}}");
    const QList<QTextImageFormat> got = images(*doc);
    QCOMPARE(got.size(), 5);
    QCOMPARE(got[2].name(), got[0].name());
    for (int i : {1, 3, 4})
        QVERIFY2(got[i].name() != got[0].name(), qPrintable(QString::number(i)));
    QVERIFY(got[1].name() != got[4].name());
    const auto back = roundTrip(*doc);
    QCOMPARE(originals(*back), originals(*doc));
    QCOMPARE(originals(*doc)[1].first, QByteArray("\\emfblip\\picw2540\\pich2540"));
}

void Tst_rtf::resizedOriginalPicture() {
    const auto doc =
        readDoc(pictureDoc("\\emfblip\\picw2540\\pich1270\\picwgoal1440\\pichgoal720 0100"));
    QTextCursor c(doc.get());
    c.setPosition(1);
    c.setPosition(2, QTextCursor::KeepAnchor);
    QTextImageFormat bigger;
    bigger.setWidth(150);
    bigger.setHeight(30.2);
    c.mergeCharFormat(bigger);
    const QByteArray out = rtf::write(*doc);
    QVERIFY(out.contains(
        "{\\pict\\emfblip\\picw2540\\pich1270\\picwgoal2250\\pichgoal453\r\n0100\r\n}"));
    QTextDocument back;
    QVERIFY(rtf::read(out, &back));
    const QList<QTextImageFormat> got = images(back);
    QCOMPARE(got.size(), 1);
    QCOMPARE(got[0].width(), 150.0);
    QCOMPARE(got[0].height(), 30.2);
    QCOMPARE(originals(back), originals(*doc));
    // The placeholder is drawn at the new size.
    QCOMPARE(resourceImage(back, got[0]).size(), QSize(150, 30));
}

void Tst_rtf::copiedOriginalPicture() {
    QTextDocument doc;
    QVERIFY(rtf::read("{\\rtf1 x{\\pict\\wmetafile8\\picw2540\\pich2540 01000900}y\\par z}", &doc));
    const auto original = originals(doc);
    QCOMPARE(original.value(0).first, QByteArray("\\wmetafile8\\picw2540\\pich2540"));

    // The clipboard's way: the selection as RTF, read as a fragment, inserted into another note.
    QTextDocument part;
    QVERIFY(rtf::readFragment(rtf::write(doc, 1, 3), &part));
    QCOMPARE(part.toPlainText(), QString(QChar::ObjectReplacementCharacter) + u'y');
    QCOMPARE(originals(part), original);
    QTextDocument note;
    note.setPlainText(QStringLiteral("前后"));
    QTextCursor c(&note);
    c.setPosition(1);
    QTextCursor all(&part);
    all.select(QTextCursor::Document);
    c.insertFragment(all.selection());
    QCOMPARE(originals(note), original);
    // The note saved and opened again.
    QTextDocument saved;
    QVERIFY(rtf::read(rtf::write(note), &saved));
    QCOMPARE(saved.toPlainText(),
             QStringLiteral("前") + QChar::ObjectReplacementCharacter + QStringLiteral("y后"));
    QCOMPARE(originals(saved), original);
    QVERIFY(sameSize(images(saved).value(0), images(doc).value(0)));
}

void Tst_rtf::foreignOriginalIsNotWritten_data() {
    // What the property holds is written into the file as it is: only picture words pass.
    QTest::addColumn<QVariant>("property");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("picture words") << QVariant(QByteArray("\\wmetafile8\\picw-5 \x01")) << true;
    QTest::newRow("no words") << QVariant(QByteArray(" \x01")) << true;
    QTest::newRow("no separator") << QVariant(QByteArray("\\wmetafile8")) << false;
    QTest::newRow("text words") << QVariant(QByteArray("\\par\\b x")) << false;
    QTest::newRow("binary") << QVariant(QByteArray("\\wmetafile8\\bin2 xx")) << false;
    QTest::newRow("braces") << QVariant(QByteArray("\\emfblip}{\\rtf1 00")) << false;
    QTest::newRow("bare minus") << QVariant(QByteArray("\\picw- 00")) << false;
    QTest::newRow("long number") << QVariant(QByteArray("\\picw12345678901 00")) << false;
    QTest::newRow("not bytes") << QVariant(QStringLiteral("\\emfblip 00")) << false;
}

void Tst_rtf::foreignOriginalIsNotWritten() {
    QFETCH(QVariant, property);
    QFETCH(bool, accepted);
    QTextDocument doc;
    const QString name = rtf::imageName("foreign");
    doc.addResource(QTextDocument::ImageResource, QUrl(name), testImage(4, 2));
    QTextImageFormat f;
    f.setName(name);
    f.setProperty(rtf::kOriginalPicture, property);
    QTextCursor(&doc).insertImage(f);
    QCOMPARE(rtf::originalPicture(f).has_value(), accepted);
    const QByteArray out = rtf::write(doc);
    QCOMPARE(out.contains("\\pngblip"), !accepted);
    QVERIFY(!out.contains("\\par\\b") && !out.contains("\\bin") && !out.contains("}{\\rtf1"));
    QCOMPARE(images(*readDoc(out)).size(), 1);
}

void Tst_rtf::corpusPicturesRoundTrip_data() {
    QTest::addColumn<QString>("rtfPath");
    const QDir dir(QStringLiteral(JOTPIN_SHARED_DIR "/rtf-corpus"));
    if (!dir.exists()) QSKIP("the RTF corpus (../shared/rtf-corpus) is not here");
    for (const QString& name : dir.entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name))
        if (readAll(dir.filePath(name)).contains("\\pict"))
            QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

void Tst_rtf::corpusPicturesRoundTrip() {
    QFETCH(QString, rtfPath);
    const QString name = QFileInfo(rtfPath).fileName();
    if (name.startsWith(u"39-"))
        QSKIP("its pictures are inside Word 97 shapes, which are not read");
    const auto doc = readDoc(readAll(rtfPath));
    const QList<QTextImageFormat> got = images(*doc);
    QVERIFY(!got.isEmpty());
    const QByteArray out = rtf::write(*doc);
    const auto back = readDoc(out);
    const QList<QTextImageFormat> again = images(*back);
    QCOMPARE(again.size(), got.size());
    QCOMPARE(originals(*back), originals(*doc));
    for (qsizetype i = 0; i < got.size(); ++i) {
        QVERIFY(sameSize(again[i], got[i]));
        // A PNG is written anew, and named by its new bytes; an original is named as before.
        if (rtf::originalPicture(got[i])) QCOMPARE(again[i].name(), got[i].name());
    }
    if (name.startsWith(u"29-")) {
        // Three metafiles of one bitmap each, as RichEdit saves pasted pictures: shown, and
        // written back as metafiles.
        QCOMPARE(got.size(), 3);
        for (const QTextImageFormat& picture : got)
            QCOMPARE(resourceImage(*doc, picture).size(), QSize(134, 62));
        for (const auto& [words, data] : originals(*doc)) {
            QCOMPARE(words, QByteArray("\\wmetafile8\\picw3545\\pich1640"));
            QVERIFY(data.startsWith(QByteArray::fromHex("010009000003")));
        }
        QCOMPARE(out.count("{\\pict\\wmetafile8\\picw3545\\pich1640\\picwgoal2010\\pichgoal930"),
                 3);
        QVERIFY(!out.contains("\\pngblip"));
    }
}

void Tst_rtf::shippedPalette() {
    // The icon picker shows kvz.dat: each picture must decode, not fall back to a placeholder.
    bool ok = false;
    const auto doc =
        readDoc(readAll(QStringLiteral(JOTPIN_TEST_DATA_DIR "/../../../resources/kvz.dat")), &ok);
    QVERIFY(ok);
    const QList<QTextImageFormat> pictures = images(*doc);
    QVERIFY(pictures.size() >= 24);
    for (const QTextImageFormat& picture : pictures) {
        QVERIFY(!picture.boolProperty(rtf::kPlaceholderPicture));
        QCOMPARE(picture.width(), 16.0);
    }
}

void Tst_rtf::rangeWrite_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("text");
    // The document is "甲乙丙\nabc\ndef".
    QTest::newRow("within a paragraph") << 1 << 3 << QStringLiteral("乙丙");
    QTest::newRow("across paragraphs") << 2 << 6 << QStringLiteral("丙\nab");
    QTest::newRow("whole paragraph and its mark") << 4 << 8 << QStringLiteral("abc");
    QTest::newRow("to the end") << 8 << -1 << QStringLiteral("def");
    QTest::newRow("everything") << 0 << -1 << QStringLiteral("甲乙丙\nabc\ndef");
    QTest::newRow("empty") << 5 << 5 << QString();
    QTest::newRow("out of range") << -5 << 1000 << QStringLiteral("甲乙丙\nabc\ndef");
}

void Tst_rtf::rangeWrite() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, text);
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("甲乙丙\nabc\ndef"));
    const auto back = readDoc(rtf::write(doc, from, to));
    QCOMPARE(back->toPlainText(), text);
}

void Tst_rtf::fragmentKeepsFinalParagraphMark() {
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("abc\ndef"));
    const QByteArray selection = rtf::write(doc, 0, 4);  // "abc" and its paragraph mark
    QTextDocument asDocument, asFragment;
    QVERIFY(rtf::read(selection, &asDocument));
    QVERIFY(rtf::readFragment(selection, &asFragment));
    QCOMPARE(asDocument.toPlainText(), QStringLiteral("abc"));
    QCOMPARE(asFragment.toPlainText(), QStringLiteral("abc\n"));
    QTextDocument inline_;
    QVERIFY(rtf::readFragment(rtf::write(doc, 1, 2), &inline_));
    QCOMPARE(inline_.toPlainText(), QStringLiteral("b"));
}

void Tst_rtf::richEditBullets() {
    const auto doc =
        readDoc(readAll(QStringLiteral(JOTPIN_TEST_DATA_DIR "/richedit-gbk-bullets.rtf")));
    QCOMPARE(doc->toPlainText(), QStringLiteral("购物清单\n苹果\n牛奶 2 L\nBread\n完"));
    const QTextBlock title = doc->findBlockByNumber(0);
    QCOMPARE(title.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QVERIFY(!title.textList());
    const QTextCharFormat titleFormat = formatAt(*doc, 0);
    QCOMPARE(titleFormat.fontWeight(), int(QFont::Bold));
    QCOMPARE(titleFormat.fontPointSize(), 16.0);
    QCOMPARE(titleFormat.fontFamilies().toStringList(), QStringList{QStringLiteral("宋体")});
    for (int n = 1; n <= 3; ++n) {
        QTextList* list = doc->findBlockByNumber(n).textList();
        QVERIFY(list);
        QCOMPARE(list->format().style(), QTextListFormat::ListDisc);
        QCOMPARE(list, doc->findBlockByNumber(1).textList());
    }
    const QTextCharFormat milk = formatAt(*doc, doc->findBlockByNumber(2).position());
    QCOMPARE(milk.foreground().color(), QColor(255, 0, 0));
    QCOMPARE(milk.fontPointSize(), 9.0);
    QVERIFY(!formatAt(*doc, doc->findBlockByNumber(2).position() + 3)
                 .hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(formatAt(*doc, doc->findBlockByNumber(3).position()).fontFamilies().toStringList(),
             QStringList{QStringLiteral("Arial")});
    const QTextBlock last = doc->findBlockByNumber(4);
    QVERIFY(!last.textList());
    QCOMPARE(last.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    QVERIFY(formatAt(*doc, last.position()).fontItalic());
}

void Tst_rtf::richEditPicture() {
    const auto doc = readDoc(readAll(QStringLiteral(JOTPIN_TEST_DATA_DIR "/richedit-picture.rtf")));
    const QString obj(QChar::ObjectReplacementCharacter);
    // The metafile duplicate in \nonshppict is not read: one picture in the first paragraph.
    QCOMPARE(doc->toPlainText(),
             QStringLiteral("图片: ") + obj + u'\n' + QStringLiteral("后") + obj);
    QCOMPARE(doc->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    const QList<QTextImageFormat> got = images(*doc);
    QCOMPARE(got.size(), 2);
    QCOMPARE(QSizeF(got[0].width(), got[0].height()), QSizeF(40, 120));
    const QImage png = resourceImage(*doc, got[0]);
    QCOMPARE(png.size(), QSize(4, 3));
    QCOMPARE(png.pixelColor(0, 1), QColor(255, 255, 0));
    QCOMPARE(png.pixelColor(3, 0), QColor(0, 0, 120));
    QCOMPARE(QSizeF(got[1].width(), got[1].height()), QSizeF(40, 20));
    QCOMPARE(resourceImage(*doc, got[1]).size(), QSize(40, 20));
}

void Tst_rtf::richEditSplitCharacters() {
    const auto doc =
        readDoc(readAll(QStringLiteral(JOTPIN_TEST_DATA_DIR "/richedit-split-gbk.rtf")));
    // \uc is scoped per group: after {\uc1 ...} two bytes of fallback are skipped again.
    QCOMPARE(doc->toPlainText(), QStringLiteral("中文 丂 国\n日本€end\none\ntwo"));
    const QTextBlockFormat first = doc->begin().blockFormat();
    QCOMPARE(first.leftMargin(), 48.0);
    QCOMPARE(first.rightMargin(), 24.0);
    QCOMPARE(first.textIndent(), 16.0);
    QCOMPARE(first.topMargin(), 8.0);
    QCOMPARE(first.bottomMargin(), 16.0);
    QTextList* list = doc->findBlockByNumber(2).textList();
    QVERIFY(list);
    QCOMPARE(list->format().style(), QTextListFormat::ListDecimal);
    QCOMPARE(doc->findBlockByNumber(3).textList(), list);
    QCOMPARE(doc->findBlockByNumber(2).blockFormat().leftMargin(), 24.0);
}

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
    // LibreOffice prints its own list markers; ours come from the document's lists.
    static const QRegularExpression marker(
        QStringLiteral("^(    )+(•|[0-9]+[.)]|[a-zA-Z][.)]|[ivxlcIVXLC]+[.)]|[◦▪–-]) "));
    QList<bool> wantList;
    QStringList lines = expected.split(u'\n');
    for (QString& line : lines) {
        const QRegularExpressionMatch m = marker.match(line);
        wantList << m.hasMatch();
        line.remove(0, m.capturedLength());
    }
    expected = lines.join(u'\n');
    // LibreOffice writes each space of a run of spaces as U+2006 and a space.
    expected.replace(QStringLiteral("\u2006 "), QStringLiteral(" "));
    if (name.startsWith(u"13-")) {
        // LibreOffice keeps only the first cell of rows that define fewer cells than they hold.
        expected = QStringLiteral("\nA\nB\nC\nD\nE\nF\nG\nH\n");
        wantList.fill(false, 10);
    }
    if (name.startsWith(u"10-")) {
        // LibreOffice drops lists whose \\ls has no list table; their RichEdit numbering (\\pn)
        // still makes them lists, as RichEdit shows them.
        wantList.fill(true, 6);
    }
    if (name.startsWith(u"36-")) {
        // WinHelp footnotes with their own marks ("#", "$", "K"): LibreOffice shows the mark
        // typed in the text and again as the footnote's anchor.
        for (const char* mark : {"#", "$", "K"})
            expected.replace(QLatin1StringView(mark) + QLatin1StringView(mark),
                             QLatin1StringView(mark));
    }
    const QStringList want = normalisedLines(expected);
    QList<bool> gotList;
    const QStringList got = normalisedLines(plainText(doc, &gotList));
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
    for (qsizetype i = 0; i < got.size(); ++i) {
        if (gotList.value(i) != wantList.value(i))
            QFAIL(qPrintable(
                QStringLiteral("line %1 (\"%2\") should %3be a list item")
                    .arg(i)
                    .arg(got[i], wantList.value(i) ? QString() : QStringLiteral("not "))));
    }
}

void Tst_rtf::badInput_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("isRtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << false << QString();
    QTest::newRow("plain text") << QByteArray("hello {\\rtf1}") << false << QString();
    QTest::newRow("html") << QByteArray("<html><body>x</body></html>") << false << QString();
    QTest::newRow("just the start") << QByteArray("{\\rtf") << true << QString();
    QTest::newRow("truncated") << QByteArray("{\\rtf1\\ansi abc\\par de") << true
                               << QStringLiteral("abc\nde");
    QTest::newRow("truncated in a word")
        << QByteArray("{\\rtf1 ab\\b") << true << QStringLiteral("ab");
    QTest::newRow("truncated escape")
        << QByteArray("{\\rtf1 ab\\'c") << true << QStringLiteral("ab");
    QTest::newRow("truncated picture") << QByteArray("{\\rtf1 a{\\pict\\pngblip 89504e") << true
                                       << QStringLiteral("a") + QChar::ObjectReplacementCharacter;
    QTest::newRow("extra closing braces")
        << QByteArray("{\\rtf1 a}}}} b}") << true << QStringLiteral("a");
    QTest::newRow("unclosed groups")
        << QByteArray("{\\rtf1 a{\\b b{\\i c") << true << QStringLiteral("abc");
    QTest::newRow("huge bin") << QByteArray("{\\rtf1 a{\\pict\\bin2147483647 xyz}}") << true
                              << QStringLiteral("a") + QChar::ObjectReplacementCharacter;
    QTest::newRow("negative bin") << QByteArray("{\\rtf1 a\\bin-5 b}") << true
                                  << QStringLiteral("ab");
    QTest::newRow("unicode out of range") << QByteArray("{\\rtf1 a\\u99999999?b\\u-99999?c\\u0?d}")
                                          << true << QStringLiteral("a\uFFFDb\uFFFDcd");
    QTest::newRow("lone surrogates")
        << QByteArray("{\\rtf1 \\u-10179?a\\u-9047?b}") << true << QStringLiteral("\uFFFDa\uFFFDb");
    QTest::newRow("invalid hex") << QByteArray("{\\rtf1 a\\'zzb\\'4x\\'41}") << true
                                 << QStringLiteral("azzbxA");
    QTest::newRow("huge parameters")
        << QByteArray("{\\rtf1\\uc99999999\\fs99999999999 a\\li-99999999999 b\\uc1\\u65 c}") << true
        << QStringLiteral("abA");
    QTest::newRow("structure characters")
        << QByteArray("{\\rtf1 a\\u65532?b\\u8233?c\\'01d\\u64976?}") << true
        << QStringLiteral("a\uFFFDb\uFFFDcd\uFFFD");
    QTest::newRow("huge picture goal")
        << QByteArray("{\\rtf1{\\pict\\wmetafile8\\picwgoal2147483647\\pichgoal-5 00}}") << true
        << QString(QChar::ObjectReplacementCharacter);
    QTest::newRow("bom and blank lines")
        << QByteArray("\xEF\xBB\xBF\r\n {\\rtf1 ok}") << true << QStringLiteral("ok");
    QTest::newRow("trailing garbage")
        << QByteArray("{\\rtf1 ok}\xEF\xBF\xBD\0\0junk{") << true << QStringLiteral("ok");
    QTest::newRow("dangling lead byte")
        << QByteArray("{\\rtf1\\ansicpg936 \\'d6}") << true << QStringLiteral("\uFFFD");
}

void Tst_rtf::badInput() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, isRtf);
    QFETCH(QString, text);
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("previous"));
    QString error;
    QCOMPARE(rtf::read(bytes, &doc, &error), isRtf);
    if (!isRtf) {
        QVERIFY(!error.isEmpty());
        QCOMPARE(doc.toPlainText(), QStringLiteral("previous"));
        return;
    }
    QCOMPARE(doc.toPlainText(), text);
    // Whatever was read writes and reads back the same.
    QCOMPARE(roundTrip(doc)->toPlainText(), text);
}

void Tst_rtf::deepNesting() {
    const int depth = 100000;
    QByteArray bytes = "{\\rtf1 a";
    bytes += QByteArray(depth, '{') + "\\b deep" + QByteArray(depth, '}') + " b";
    bytes += QByteArray(depth, '{') + "{\\*\\x" + QByteArray(depth, '{') + "}}}";
    QTextDocument doc;
    QVERIFY(rtf::read(bytes, &doc));
    QCOMPARE(doc.toPlainText(), QStringLiteral("adeep b"));
    QVERIFY(formatAt(doc, 2).fontWeight() == QFont::Bold);
}

QTEST_MAIN(Tst_rtf)
#include "tst_rtf.moc"
