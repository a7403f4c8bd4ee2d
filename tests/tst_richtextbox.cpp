#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include "desktop/commondialog.h"
#include "notes/checklist.h"
#include "richtext/richtextbox.h"
#include "rtf/longparagraphs.h"
#include "rtf/rtf.h"
#include "selecttext.h"

namespace {

QImage testPicture() {
    QImage image(12, 10, QImage::Format_ARGB32);
    image.fill(Qt::red);
    image.setPixelColor(3, 4, Qt::blue);
    return image;
}

// Puts a picture at the insertion point the way the palette holds one.
void insertPicture(RichTextBox& box, const QImage& image, const QString& name) {
    box.document()->addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat format;
    format.setName(name);
    QTextCursor cursor = box.textCursor();
    cursor.insertImage(format);
    box.setTextCursor(cursor);
}

// The picture at a position, as the document would draw it (null when there is none).
QImage pictureAt(const RichTextBox& box, int position) {
    QTextCursor cursor(box.document());
    cursor.setPosition(position + 1);
    const QTextCharFormat format = cursor.charFormat();
    if (!format.isImageFormat()) return {};
    return qvariant_cast<QImage>(box.document()->resource(QTextDocument::ImageResource,
                                                          QUrl(format.toImageFormat().name())));
}

// The box on screen at this size, for what only a shown control does (layout, clicks).
bool shownAt(RichTextBox& box, int width, int height) {
    box.resize(width, height);
    box.show();
    return QTest::qWaitForWindowExposed(&box);
}

using Selections = QList<QPair<int, int>>;

void select(RichTextBox& box, int start, int length) {
    selectText(box, start, length);
}

// Find next as the note runs it.
void findNext(RichTextBox& box, const QString& text) {
    box.setSelectionStart(box.selectionStart() + box.selectionLength() + 1);
    box.findText(text, std::nullopt, int(box.text().size()));
}

bool boldAt(const RichTextBox& box, int position) {
    QTextCursor cursor(box.document());
    cursor.setPosition(position + 1);
    return cursor.charFormat().fontWeight() > QFont::Medium;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class Tst_richtextbox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();

    void textReadsCrLf();
    void setTextDropsFormattingAndPictures();
    void selectionClamps_data();
    void selectionClamps();
    void find_data();
    void find();
    void findCountsPicturesAndBreaks();
    void regularKeepsUnderline();
    void mixedCharFormat();
    void fontNameSizeColour();
    void alignment();
    void bulletsMixedThenOff();
    void clearDeletesSelectionOnly();
    void mouseDown();

    void copyPutsAllFlavours();
    void copyWithoutSelectionLeavesClipboard();
    void pictureAloneHasNoText();
    void pastePlainTextTakesCaretFormat();
    void pasteImage();
    void pastedPictureKeepsItsBytesAndFitsTheText();
    void pastePreference_data();
    void pastePreference();
    void copyPasteFormattedText();
    void copyPastePictureBetweenControls();

    void saveLoadRoundTrip();
    void checklistItemsAreParagraphsWithABox();
    void checklistByMouseAndKeys();
    void linksOpenByCtrlClick();
    void longParagraphIsOneParagraphOutside();
    void largeTextIsLaidOutInSteps_data();
    void largeTextIsLaidOutInSteps();
    void largePasteUndoneAndRedoneInSteps();
    void failedLoadKeepsContent_data();
    void failedLoadKeepsContent();
    void saveFailureReported();
    void selPrint_data();
    void selPrint();

private:
    QTemporaryDir m_dir;
};

void Tst_richtextbox::init() {
    QGuiApplication::clipboard()->clear();
}

void Tst_richtextbox::textReadsCrLf() {
    RichTextBox box;
    box.replaceText(QStringLiteral("一\r\ntwo\rthree\nfour"));
    QCOMPARE(box.text(), QStringLiteral("一\r\ntwo\r\nthree\r\nfour"));
    QCOMPARE(box.document()->blockCount(), 4);
    box.replaceText(QString());
    QCOMPARE(box.text(), QString());
}

void Tst_richtextbox::setTextDropsFormattingAndPictures() {
    RichTextBox box;
    box.replaceText(QStringLiteral("old"));
    select(box, 0, 3);
    box.setSelectionBold(true);
    box.setSelectionTextColor(Qt::red);
    box.setSelectionBullet(true);
    box.setSelectionStart(3);
    insertPicture(box, testPicture(), QStringLiteral("rtfimg:x"));
    QCOMPARE(box.text(), QStringLiteral("old "));  // a picture reads as a space

    // What the clipboard capture does: the text replaced by itself and more.
    box.replaceText(box.text() + QStringLiteral("new"));
    QCOMPARE(box.text(), QStringLiteral("old new"));
    QVERIFY(!box.isUndoAvailable());
    for (int i = 0; i < 7; ++i) {
        QVERIFY2(!boldAt(box, i), qPrintable(QString::number(i)));
        QVERIFY(pictureAt(box, i).isNull());
    }
    QCOMPARE(box.selectionBullet(), std::optional(false));
    select(box, 0, 7);
    QCOMPARE(box.selectionTextColor(), std::optional(box.palette().color(QPalette::Text)));
    // Typing afterwards does not pick up the old format either.
    box.setSelectionStart(7);
    QTest::keyClicks(&box, QStringLiteral("x"));
    QVERIFY(!boldAt(box, 7));
}

void Tst_richtextbox::selectionClamps_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("selStart");
    // Text "abc\r\ndef" holds 7 positions.
    QTest::newRow("inside") << 1 << 1;
    QTest::newRow("start past end") << 50 << 7;
    QTest::newRow("negative start") << -3 << 0;
}

void Tst_richtextbox::selectionClamps() {
    QFETCH(int, start);
    QFETCH(int, selStart);
    RichTextBox box;
    box.replaceText(QStringLiteral("abc\r\ndef"));
    select(box, 0, 7);
    box.setSelectionStart(start);
    QCOMPARE(box.selectionLength(), 0);  // setting the start collapses the selection
    QCOMPARE(box.selectionStart(), selStart);
}

void Tst_richtextbox::find_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("search");
    // Each step: "f" = find, "n" = find next; expected selection after each step.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<Selections>("selections");

    using Sel = Selections;
    QTest::newRow("abcabc bc, caret anywhere") << "abcabc" << 5 << 0 << "bc"
                                               << "fnn" << Sel{{1, 2}, {4, 2}, {6, 0}};
    QTest::newRow("find again keeps the match") << "abcabc" << 0 << 0 << "bc"
                                                << "ff" << Sel{{1, 2}, {1, 2}};
    QTest::newRow("longer stretch selected") << "abcabcabc" << 3 << 4 << "bc"
                                             << "f" << Sel{{4, 2}};
    QTest::newRow("nothing inside selection") << "abcabc" << 2 << 2 << "bc"
                                              << "f" << Sel{{2, 2}};
    QTest::newRow("abab ab: adjacent skipped") << "abab" << 0 << 0 << "ab"
                                               << "fn" << Sel{{0, 2}, {3, 0}};
    QTest::newRow("letter case") << "xx abc" << 0 << 0 << "ABC"
                                 << "f" << Sel{{3, 3}};
    QTest::newRow("next from caret") << "abcabc" << 2 << 0 << "bc"
                                     << "n" << Sel{{4, 2}};
    QTest::newRow("empty text") << "" << 0 << 0 << "a"
                                << "fn" << Sel{{0, 0}, {0, 0}};
    QTest::newRow("empty search keeps selection") << "abc" << 1 << 1 << ""
                                                  << "f" << Sel{{1, 1}};
    QTest::newRow("across paragraphs") << "one\r\ntwo\r\none" << 0 << 0 << "ONE"
                                       << "fnn" << Sel{{0, 3}, {8, 3}, {11, 0}};
}

void Tst_richtextbox::find() {
    QFETCH(QString, text);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(QString, search);
    QFETCH(QString, steps);
    QFETCH(Selections, selections);
    RichTextBox box;
    box.replaceText(text);
    select(box, selStart, selLength);
    for (int i = 0; i < steps.size(); ++i) {
        if (steps[i] == u'f')
            box.findText(search);
        else
            findNext(box, search);
        QCOMPARE(qMakePair(box.selectionStart(), box.selectionLength()), selections[i]);
    }
}

void Tst_richtextbox::findCountsPicturesAndBreaks() {
    RichTextBox box;
    box.replaceText(QStringLiteral("a\r\n"));
    box.setSelectionStart(2);
    insertPicture(box, testPicture(), QStringLiteral("rtfimg:p"));
    box.textCursor().insertText(QStringLiteral("key"));
    QCOMPARE(box.findText(QStringLiteral("KEY")), 3);
    QCOMPARE(box.textCursor().selectedText(), QStringLiteral("key"));
    QCOMPARE(box.findText(QStringLiteral("zzz")), -1);
    QCOMPARE(box.selectionStart(), 3);  // a miss leaves the selection
    QCOMPARE(box.selectionLength(), 3);
}

void Tst_richtextbox::regularKeepsUnderline() {
    RichTextBox box;
    box.replaceText(QStringLiteral("text"));
    select(box, 0, 4);
    box.setSelectionBold(true);
    box.setSelectionItalic(true);
    box.setSelectionUnderline(true);
    box.setSelectionStrikeOut(true);
    QCOMPARE(box.selectionBold(), std::optional(true));
    box.setSelectionBold(false);
    box.setSelectionItalic(false);
    QCOMPARE(box.selectionBold(), std::optional(false));
    QCOMPARE(box.selectionItalic(), std::optional(false));
    QCOMPARE(box.selectionUnderline(), std::optional(true));
    QCOMPARE(box.selectionStrikeOut(), std::optional(true));
}

void Tst_richtextbox::mixedCharFormat() {
    RichTextBox box;
    box.replaceText(QStringLiteral("ab\r\ncd"));
    select(box, 1, 1);
    box.setSelectionBold(true);
    select(box, 0, 5);
    QCOMPARE(box.selectionBold(), std::nullopt);
    QCOMPARE(box.selectionItalic(), std::optional(false));
    select(box, 1, 1);
    QCOMPARE(box.selectionBold(), std::optional(true));
    select(box, 2, 1);  // the paragraph break alone
    QCOMPARE(box.selectionBold().has_value(), true);
    // Without a selection the insertion point's format answers.
    box.setSelectionStart(2);
    QCOMPARE(box.selectionBold(), std::optional(true));
    box.setSelectionStart(4);
    QCOMPARE(box.selectionBold(), std::optional(false));
}

void Tst_richtextbox::fontNameSizeColour() {
    RichTextBox box;
    box.replaceText(QStringLiteral("abcd"));
    select(box, 1, 2);
    box.setSelectionFontFamily(QStringLiteral("Serif"));
    box.setSelectionFontPointSize(14.5);
    box.setSelectionTextColor(QColor(0x12, 0x34, 0x56));
    QCOMPARE(box.selectionFontFamily(), std::optional(QStringLiteral("Serif")));
    QCOMPARE(box.selectionFontPointSize(), std::optional(14.5));
    QCOMPARE(box.selectionTextColor(), std::optional(QColor(0x12, 0x34, 0x56)));
    select(box, 0, 4);
    QCOMPARE(box.selectionFontFamily(), std::nullopt);
    QCOMPARE(box.selectionFontPointSize(), std::nullopt);
    QCOMPARE(box.selectionTextColor(), std::nullopt);
    // An invalid size changes nothing.
    box.setSelectionFontPointSize(0);
    select(box, 1, 2);
    QCOMPARE(box.selectionFontPointSize(), std::optional(14.5));
}

void Tst_richtextbox::alignment() {
    RichTextBox box;
    box.replaceText(QStringLiteral("one\r\ntwo\r\nthree"));
    select(box, 5, 3);  // inside "two" and into "three": both paragraphs
    box.setSelectionAlignment(Qt::AlignHCenter);
    box.setSelectionAlignment(Qt::AlignTop);  // no horizontal alignment: nothing changes
    QCOMPARE(box.selectionAlignment(), Qt::AlignHCenter);
    select(box, 0, 13);
    QCOMPARE(box.selectionAlignment(), std::nullopt);
    box.setSelectionAlignment(Qt::AlignRight);
    QCOMPARE(box.selectionAlignment(), Qt::AlignRight);
    select(box, 1, 0);
    QCOMPARE(box.selectionAlignment(), Qt::AlignRight);
    RichTextBox fresh;
    fresh.replaceText(QStringLiteral("new"));
    QCOMPARE(fresh.selectionAlignment(), Qt::AlignLeft);  // as a new paragraph stands
}

void Tst_richtextbox::bulletsMixedThenOff() {
    RichTextBox box;
    box.replaceText(QStringLiteral("a\r\nb\r\nc"));
    select(box, 2, 0);
    box.setSelectionBullet(true);
    QCOMPARE(box.selectionBullet(), std::optional(true));
    select(box, 0, 5);
    QCOMPARE(box.selectionBullet(), std::nullopt);

    // The bullet command: mixed or none → on; on → off with no hanging indent.
    box.setSelectionBullet(true);
    QCOMPARE(box.selectionBullet(), std::optional(true));
    QTextList* list = box.document()->firstBlock().textList();
    QVERIFY(list);
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->format().style(), QTextListFormat::ListDisc);

    box.setSelectionBullet(false);
    box.setSelectionHangingIndent(0);
    QCOMPARE(box.selectionBullet(), std::optional(false));
    QCOMPARE(box.selectionHangingIndent(), std::optional(0));
    for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next()) {
        QVERIFY(!b.textList());
        QCOMPARE(b.blockFormat().indent(), 0);
    }
    QCOMPARE(box.text(), QStringLiteral("a\r\nb\r\nc"));
}

void Tst_richtextbox::clearDeletesSelectionOnly() {
    RichTextBox box;
    box.replaceText(QStringLiteral("hello world"));
    select(box, 5, 6);
    box.removeSelectedText();
    QCOMPARE(box.text(), QStringLiteral("hello"));
    QVERIFY(box.isUndoAvailable());
    box.undoHoldingLayout();
    QCOMPARE(box.text(), QStringLiteral("hello world"));
    select(box, 5, 6);
    box.removeSelectedText();
    box.setSelectionStart(2);
    box.removeSelectedText();  // nothing selected: nothing deleted
    QCOMPARE(box.text(), QStringLiteral("hello"));
}

void Tst_richtextbox::mouseDown() {
    RichTextBox box;
    QVERIFY(shownAt(box, 200, 100));
    box.replaceText(QStringLiteral("text"));
    QSignalSpy spy(&box, &RichTextBox::mousePressed);
    QTest::mouseClick(box.viewport(), Qt::RightButton, Qt::ShiftModifier, QPoint(30, 20));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy[0][0].value<Qt::MouseButton>(), Qt::RightButton);
    QCOMPARE(spy[0][1].value<Qt::KeyboardModifiers>(), Qt::KeyboardModifiers(Qt::ShiftModifier));
    QCOMPARE(spy[0][2].toPoint(), box.viewport()->mapTo(&box, QPoint(30, 20)));
}

void Tst_richtextbox::copyPutsAllFlavours() {
    RichTextBox box;
    box.replaceText(QStringLiteral("abc\r\ndef"));
    select(box, 1, 4);
    box.copy();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QVERIFY(data->data(RichTextBox::rtfMimeType()).startsWith("{\\rtf"));
    QVERIFY(data->data(RichTextBox::rtfAltMimeType()).startsWith("{\\rtf"));
    QVERIFY(data->hasHtml());
    QCOMPARE(data->text(), QStringLiteral("bc\nd"));

    box.cut();
    QCOMPARE(box.text(), QStringLiteral("aef"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("bc\nd"));
}

void Tst_richtextbox::copyWithoutSelectionLeavesClipboard() {
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    RichTextBox palette;
    palette.replaceText(QStringLiteral("icons"));
    palette.setSelectionStart(2);
    palette.copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    RichTextBox note;
    note.paste();
    QCOMPARE(note.text(), QStringLiteral("before"));
}

void Tst_richtextbox::pictureAloneHasNoText() {
    RichTextBox box;
    insertPicture(box, testPicture(), QStringLiteral("rtfimg:alone"));
    select(box, 0, 1);
    box.copy();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data->hasFormat(RichTextBox::rtfMimeType()));
    QVERIFY(!data->hasText());  // the edit menu offers no paste for a picture alone
    QVERIFY(data->hasImage());
    QCOMPARE(qvariant_cast<QImage>(data->imageData()).size(), testPicture().size());
}

void Tst_richtextbox::pastePlainTextTakesCaretFormat() {
    RichTextBox box;
    box.replaceText(QStringLiteral("ab"));
    select(box, 0, 2);
    box.setSelectionBold(true);
    box.setSelectionStart(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("x\r\ny"));
    box.paste();
    QCOMPARE(box.text(), QStringLiteral("ax\r\nyb"));
    QVERIFY(boldAt(box, 1));
    QVERIFY(boldAt(box, 3));
}

void Tst_richtextbox::pasteImage() {
    RichTextBox box;
    box.replaceText(QStringLiteral("ab"));
    box.setSelectionStart(1);
    QGuiApplication::clipboard()->setImage(testPicture());
    QVERIFY(box.canPaste());
    box.paste();
    QCOMPARE(box.selectionStart(), 2);
    const QImage pasted = pictureAt(box, 1);
    QCOMPARE(pasted.convertToFormat(QImage::Format_ARGB32), testPicture());
    QTextCursor cursor(box.document());
    cursor.setPosition(2);
    QVERIFY(cursor.charFormat().toImageFormat().name().startsWith(QStringLiteral("rtfimg:")));
}

void Tst_richtextbox::pastedPictureKeepsItsBytesAndFitsTheText() {
    // As a browser copies a picture: PNG bytes, and HTML of nothing but the picture's address.
    QImage wide(400, 300, QImage::Format_RGB32);
    wide.fill(Qt::darkYellow);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(wide.save(&buffer, "PNG"));
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/png"), png);
    data->setHtml(
        QStringLiteral("<meta charset=\"utf-8\"><img src=\"https://example.org/a.png\">"));
    QGuiApplication::clipboard()->setMimeData(data);

    RichTextBox box;
    QVERIFY(shownAt(box, 200, 150));
    box.paste();
    QTextCursor cursor(box.document());
    cursor.setPosition(1);
    const QTextImageFormat format = cursor.charFormat().toImageFormat();
    QVERIFY(format.isValid());
    // Shown at the text's width, no scroll bar; kept whole, as the bytes it came as.
    QVERIFY2(format.width() > 150 && format.width() < 200,
             qPrintable(QString::number(format.width())));
    QCOMPARE(format.height(), format.width() * 3 / 4);
    QVERIFY(!box.horizontalScrollBar()->isVisible());
    QCOMPARE(pictureAt(box, 0).size(), QSize(400, 300));
    QCOMPARE(rtf::originalPicture(format).value().data, png);
}

void Tst_richtextbox::pastePreference_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("html");
    QTest::addColumn<bool>("image");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");  // the note's text afterwards; "*" marks a picture
    QTest::addColumn<bool>("bold");         // the first pasted character

    const QByteArray rtf = "{\\rtf1\\ansi {\\b rtf}}";
    const QString html = QStringLiteral("<b>html</b>");
    QTest::newRow("RTF first") << rtf << html << true << "text"
                               << "rtf" << true;
    QTest::newRow("then HTML") << QByteArray() << html << true << "text"
                               << "html" << true;
    QTest::newRow("then a picture") << QByteArray() << QString() << true << "text"
                                    << "*" << false;
    QTest::newRow("then text") << QByteArray() << QString() << false << "text"
                               << "text" << false;
    QTest::newRow("damaged RTF falls back") << QByteArray("no rtf") << QString() << false << "text"
                                            << "text" << false;
}

void Tst_richtextbox::pastePreference() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, html);
    QFETCH(bool, image);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QFETCH(bool, bold);
    auto* data = new QMimeData;
    if (!rtf.isEmpty()) data->setData(RichTextBox::rtfMimeType(), rtf);
    if (!html.isEmpty()) data->setHtml(html);
    if (image) data->setImageData(testPicture());
    data->setText(text);
    QGuiApplication::clipboard()->setMimeData(data);

    RichTextBox box;
    box.paste();
    QString got = box.text();
    if (!pictureAt(box, 0).isNull()) got.replace(0, 1, u'*');
    QCOMPARE(got, expected);
    QCOMPARE(boldAt(box, 0), bold);
}

void Tst_richtextbox::copyPasteFormattedText() {
    RichTextBox from;
    from.replaceText(QStringLiteral("plain 粗体 red"));
    select(from, 6, 2);
    from.setSelectionBold(true);
    select(from, 9, 3);
    from.setSelectionTextColor(Qt::red);
    select(from, 0, 12);
    from.copy();

    RichTextBox to;
    to.replaceText(QStringLiteral("[]"));
    to.setSelectionStart(1);
    to.paste();
    QCOMPARE(to.text(), QStringLiteral("[plain 粗体 red]"));
    select(to, 7, 2);
    QCOMPARE(to.selectionBold(), std::optional(true));
    select(to, 1, 6);
    QCOMPARE(to.selectionBold(), std::optional(false));
    select(to, 10, 3);
    QCOMPARE(to.selectionTextColor(), std::optional(QColor(Qt::red)));

    // Across paragraph breaks, with a centred bullet paragraph in between.
    from.replaceText(QStringLiteral("one\r\ntwo\r\nthree"));
    select(from, 5, 0);
    from.setSelectionBullet(true);
    from.setSelectionAlignment(Qt::AlignHCenter);
    select(from, 2, 8);  // "e", "two", "th"
    from.copy();
    to.replaceText(QStringLiteral("[]"));
    to.setSelectionStart(1);
    to.paste();
    QCOMPARE(to.text(), QStringLiteral("[e\r\ntwo\r\nth]"));
    select(to, 4, 0);
    QCOMPARE(to.selectionBullet(), std::optional(true));
    QCOMPARE(to.selectionAlignment(), Qt::AlignHCenter);
    select(to, 0, 0);
    QCOMPARE(to.selectionBullet(), std::optional(false));
    select(to, 10, 0);
    QCOMPARE(to.selectionBullet(), std::optional(false));
}

void Tst_richtextbox::copyPastePictureBetweenControls() {
    // The icon picker: a palette file, a picture selected in it, copied, pasted into the note.
    const QString paletteFile = m_dir.filePath(QStringLiteral("palette.dat"));
    const QImage icon = testPicture();
    {
        RichTextBox maker;
        maker.replaceText(QStringLiteral("ab"));
        maker.setSelectionStart(1);
        insertPicture(maker, icon, QStringLiteral("rtfimg:icon"));
        QVERIFY(maker.saveFile(paletteFile));
    }
    RichTextBox palette;
    QVERIFY(palette.load(paletteFile));
    palette.resize(200, 100);
    palette.show();
    // A click on the picture selects it; a click beside it only places the caret.
    const QRect before = palette.cursorRect([&] {
        QTextCursor at(palette.document());
        at.setPosition(1);
        return at;
    }());
    QTest::mouseClick(palette.viewport(), Qt::LeftButton, {}, before.center() + QPoint(6, 0));
    QCOMPARE(palette.selectionStart(), 1);
    QCOMPARE(palette.selectionLength(), 1);
    QTest::mouseClick(palette.viewport(), Qt::LeftButton, {}, before.center() + QPoint(40, 0));
    QCOMPARE(palette.selectionLength(), 0);
    select(palette, 1, 1);
    palette.copy();

    RichTextBox note;
    note.replaceText(QStringLiteral("note"));
    note.setSelectionStart(4);
    note.paste();
    note.paste();  // several icons one after another
    QCOMPARE(note.text(), QStringLiteral("note  "));
    for (int position : {4, 5}) {
        const QImage pasted = pictureAt(note, position);
        QVERIFY2(!pasted.isNull(), "the picture did not come along");
        QCOMPARE(pasted.convertToFormat(QImage::Format_ARGB32), icon);
    }
}

void Tst_richtextbox::checklistItemsAreParagraphsWithABox() {
    using checklist::Item;
    QCOMPARE(checklist::itemOf(QStringLiteral("☐ milk")), Item::Open);
    QCOMPARE(checklist::itemOf(QStringLiteral("☑ ")), Item::Ticked);
    QCOMPARE(checklist::itemOf(QStringLiteral("☐milk")), Item::None);
    QCOMPARE(checklist::itemOf(QStringLiteral("x ☐ milk")), Item::None);

    RichTextBox box;
    box.replaceText(QStringLiteral("milk\r\n☐ eggs\r\nbread"));
    const auto paragraphs = [&box] { return box.text().split(QStringLiteral("\r\n")); };
    // A selection with an item in it: the others become items too, the item keeps its box.
    QTextCursor all(box.document());
    all.select(QTextCursor::Document);
    checklist::toggleItems(all);
    QCOMPARE(paragraphs(), QStringList({"☐ milk", "☐ eggs", "☐ bread"}));
    QVERIFY(checklist::tick(box.document()->findBlockByNumber(1)));
    QCOMPARE(paragraphs().at(1), QStringLiteral("☑ eggs"));
    // All items: plain paragraphs again, as one step to undo.
    checklist::toggleItems(all);
    QCOMPARE(paragraphs(), QStringList({"milk", "eggs", "bread"}));
    QVERIFY(!checklist::tick(box.document()->firstBlock()));
    box.undoHoldingLayout();
    QCOMPARE(paragraphs(), QStringList({"☐ milk", "☑ eggs", "☐ bread"}));

    // In the store the boxes are characters the Windows program shows; read back, still a list.
    const QByteArray rtf = box.noteDocument()->rtf();
    QVERIFY(rtf.contains("\\u9744") && rtf.contains("\\u9745"));
    RichTextBox back;
    QVERIFY(back.loadRtf(rtf));
    QCOMPARE(back.text(), box.text());
    QCOMPARE(checklist::itemOf(back.document()->findBlockByNumber(1)), Item::Ticked);

    // Finds see the text, not the boxes.
    NoteDocument* doc = box.noteDocument();
    QVERIFY(doc->findMatch(QStringLiteral("☐"), QTextCursor(doc)).isNull());
    QCOMPARE(doc->findMatch(QStringLiteral("eggs"), QTextCursor(doc)).selectionStart(),
             QStringLiteral("☐ milk\n☑ ").size());
    QCOMPARE(checklist::withoutBoxes(QStringLiteral("☐ a\n☑ b\nc ☐ d\n☐")),
             QStringLiteral("  a\n  b\nc ☐ d\n☐"));
}

void Tst_richtextbox::checklistByMouseAndKeys() {
    RichTextBox box;
    QVERIFY(shownAt(box, 300, 200));
    box.replaceText(QStringLiteral("☐ milk"));
    QTextCursor end(box.document());
    end.movePosition(QTextCursor::End);
    box.setTextCursor(end);
    // Enter at the end of an item: the next item; in it, Enter again ends the list.
    QTest::keyClick(&box, Qt::Key_Return);
    QTest::keyClicks(&box, QStringLiteral("eggs"));
    QCOMPARE(box.text(), QStringLiteral("☐ milk\r\n☐ eggs"));
    QTest::keyClick(&box, Qt::Key_Return);
    QTest::keyClick(&box, Qt::Key_Return);
    QCOMPARE(box.text(), QStringLiteral("☐ milk\r\n☐ eggs\r\n"));
    QTest::keyClicks(&box, QStringLiteral("done"));
    QCOMPARE(box.text(), QStringLiteral("☐ milk\r\n☐ eggs\r\ndone"));

    // Ctrl+Enter ticks the item the caret is in; elsewhere it is a new paragraph as before.
    QTextCursor inEggs(box.document()->findBlockByNumber(1));
    inEggs.movePosition(QTextCursor::EndOfBlock);
    box.setTextCursor(inEggs);
    // Drawn struck through and dimmed, and nothing of that in the text or its changes.
    const QTextBlock eggs = box.document()->findBlockByNumber(1);
    QRect eggsText = box.cursorRect(QTextCursor(eggs)).united(box.cursorRect(inEggs));
    eggsText.setLeft(eggsText.left() + 12);  // past the box
    const QImage open = box.viewport()->grab(eggsText).toImage();
    QSignalSpy changes(box.document(), &QTextDocument::contentsChanged);
    QTest::keyClick(&box, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(box.text(), QStringLiteral("☐ milk\r\n☑ eggs\r\ndone"));
    QCOMPARE(changes.size(), 1);  // the box, once
    QVERIFY(box.viewport()->grab(eggsText).toImage() != open);
    QTest::qWait(50);
    QCOMPARE(changes.size(), 1);
    QVERIFY(!QTextCursor(eggs).charFormat().fontStrikeOut());
    QVERIFY(!box.noteDocument()->rtf().contains("\\strike"));

    // A click on a box ticks it and leaves the caret; a click on the text only places it.
    const int caret = box.textCursor().position();
    const QRect milkBox = box.cursorRect(QTextCursor(box.document()->firstBlock()));
    QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, milkBox.center() + QPoint(3, 0));
    QCOMPARE(box.text(), QStringLiteral("☑ milk\r\n☑ eggs\r\ndone"));
    QCOMPARE(box.textCursor().position(), caret);
    QTextCursor inMilk(box.document()->firstBlock());
    inMilk.setPosition(4);
    QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, box.cursorRect(inMilk).center());
    QCOMPARE(box.text(), QStringLiteral("☑ milk\r\n☑ eggs\r\ndone"));
}

void Tst_richtextbox::linksOpenByCtrlClick() {
    RichTextBox box;
    QVERIFY(shownAt(box, 400, 200));
    box.replaceText(QStringLiteral("看 https://example.org/a 或者 v1.2.3"));
    QSignalSpy opened(&box, &RichTextBox::linkActivated);
    QTextCursor inLink(box.document());
    inLink.setPosition(10);
    const QPoint onLink = box.cursorRect(inLink).center();
    // A plain click places the caret; Ctrl+click opens and leaves the caret where it was.
    QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, onLink);
    QVERIFY(opened.isEmpty());
    QCOMPARE(box.textCursor().position(), 10);
    QTextCursor start(box.document());
    box.setTextCursor(start);
    QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::ControlModifier, onLink);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.at(0).at(0).toUrl(), QUrl(QStringLiteral("https://example.org/a")));
    QCOMPARE(box.textCursor().position(), 0);
    QTextCursor onVersion(box.document());
    onVersion.setPosition(box.text().size() - 2);
    QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::ControlModifier,
                      box.cursorRect(onVersion).center());
    QCOMPARE(opened.size(), 1);

    // The edit menu's link: at the caret when the pointer is not on one, just after it too.
    QCursor::setPos(box.viewport()->mapToGlobal(QPoint(-50, -50)));
    QTextCursor after(box.document());
    after.setPosition(QStringLiteral("看 https://example.org/a").size());
    box.setTextCursor(after);
    box.pinMenuLink();
    QCOMPARE(box.menuLink(), std::optional<QUrl>(QUrl(QStringLiteral("https://example.org/a"))));
    box.setTextCursor(onVersion);
    box.pinMenuLink();
    QVERIFY(!box.menuLink());
}

void Tst_richtextbox::saveLoadRoundTrip() {
    const QString path = m_dir.filePath(QStringLiteral("round.tie"));
    RichTextBox box;
    box.replaceText(QStringLiteral("标题\r\nbold\r\nitem one\r\nitem two\r\n"));
    select(box, 0, 2);
    box.setSelectionAlignment(Qt::AlignHCenter);
    select(box, 3, 4);
    box.setSelectionBold(true);
    select(box, 8, 17);
    box.setSelectionBullet(true);
    box.setSelectionStart(26);
    insertPicture(box, testPicture(), QStringLiteral("rtfimg:round"));
    QString error;
    QVERIFY2(box.saveFile(path, &error), qPrintable(error));

    RichTextBox loaded;
    loaded.replaceText(QStringLiteral("to be replaced"));
    QVERIFY2(loaded.load(path, &error), qPrintable(error));
    QCOMPARE(loaded.text(), box.text());
    QVERIFY(!loaded.isUndoAvailable());
    select(loaded, 0, 2);
    QCOMPARE(loaded.selectionAlignment(), Qt::AlignHCenter);
    select(loaded, 3, 4);
    QCOMPARE(loaded.selectionBold(), std::optional(true));
    select(loaded, 0, 7);
    QCOMPARE(loaded.selectionBold(), std::nullopt);
    select(loaded, 8, 17);
    QCOMPARE(loaded.selectionBullet(), std::optional(true));
    select(loaded, 0, 7);
    QCOMPARE(loaded.selectionBullet(), std::optional(false));
    QCOMPARE(pictureAt(loaded, 26).convertToFormat(QImage::Format_ARGB32), testPicture());
}

void Tst_richtextbox::failedLoadKeepsContent_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("missing") << m_dir.filePath(QStringLiteral("missing.tie"));
    QTest::newRow("not RTF") << m_dir.filePath(QStringLiteral("plain.txt"));
    QTest::newRow("folder") << m_dir.path();
}

void Tst_richtextbox::failedLoadKeepsContent() {
    QFETCH(QString, path);
    writeFile(m_dir.filePath(QStringLiteral("plain.txt")), "just text, no RTF");
    const QString good = m_dir.filePath(QStringLiteral("good.tie"));
    RichTextBox box;
    box.replaceText(QStringLiteral("keep me"));
    QVERIFY(box.saveFile(good));
    QVERIFY(box.load(good));
    box.replaceText(QStringLiteral("keep me"));
    select(box, 0, 4);
    box.setSelectionBold(true);

    QString error;
    QVERIFY(!box.load(path, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(box.text(), QStringLiteral("keep me"));
    QCOMPARE(box.selectionBold(), std::optional(true));
}

void Tst_richtextbox::saveFailureReported() {
    const QString blocker = m_dir.filePath(QStringLiteral("a-file"));
    writeFile(blocker, "x");
    RichTextBox box;
    box.replaceText(QStringLiteral("text"));
    QString error;
    QVERIFY(!box.saveFile(blocker + QStringLiteral("/note.tie"), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!box.saveFile(m_dir.path(), nullptr));  // a folder is no file
    QVERIFY(QFileInfo(m_dir.path()).isDir());
}

void Tst_richtextbox::selPrint_data() {
    QTest::addColumn<int>("selLength");
    QTest::newRow("all text") << 0;
    QTest::newRow("selection") << 3;
}

void Tst_richtextbox::selPrint() {
    QFETCH(int, selLength);
    const QString pdf = m_dir.filePath(QStringLiteral("print-%1.pdf").arg(selLength));
    RichTextBox box;
    box.replaceText(QStringLiteral("打印 this\r\nnote"));
    box.setSelectionStart(3);
    insertPicture(box, testPicture(), QStringLiteral("rtfimg:print"));
    select(box, 2, selLength);
    CommonDialog dialog;
    QVERIFY(!dialog.print(box.textCursor()));  // no printer chosen: nothing happens
    QVERIFY(dialog.choosePdfPrinter(pdf));
    QVERIFY(dialog.print(box.textCursor()));
    QVERIFY(QFileInfo(pdf).size() > 0);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
}

// A paragraph too long for Qt's layout is held in pieces; files, text, search and the clipboard
// still see one paragraph, and Enter inside a piece still makes a new one.
void Tst_richtextbox::longParagraphIsOneParagraphOutside() {
    QString text;
    for (int i = 0; text.size() < 3 * longparagraphs::kMaxPieceLength; ++i)
        text += QStringLiteral("word%1 ").arg(i);
    text += QStringLiteral("unbroken");
    text += QString(longparagraphs::kMaxPieceLength + 10, u'x');  // no space to cut after
    const QByteArray rtfText = "{\\rtf1\\ansi \\b " + text.toLatin1() + "\\par second\\par}";
    RichTextBox box;
    QTextDocument whole;
    whole.setDefaultFont(box.document()->defaultFont());
    QVERIFY(rtf::read(rtfText, &whole));
    QCOMPARE(whole.blockCount(), 2);
    QVERIFY(box.loadRtf(rtfText));
    QCOMPARE_GT(box.document()->blockCount(), 5);
    QCOMPARE(rtf::write(*box.document()), rtf::write(whole));
    QCOMPARE(box.text(), text + QStringLiteral("\r\nsecond"));

    // A match that spans a join is found and selected as it stands.
    const QList<int> joins = longparagraphs::joins(*box.document());
    QCOMPARE(joins.size(), 4);
    const int join = joins[1];
    const QString needle = box.document()->toPlainText().mid(join - 6, 6) +
                           box.document()->toPlainText().mid(join + 1, 6);
    box.setSelectionStart(0);
    QCOMPARE(box.findText(needle, 0, box.document()->characterCount()), join - 6);
    QCOMPARE(box.textCursor().selectedText(),
             needle.left(6) + QChar::ParagraphSeparator + needle.mid(6));
    box.copy();
    QCOMPARE(QApplication::clipboard()->text(), needle);

    // Enter inside a piece is a real paragraph break; the piece before it stays joined.
    QTextCursor cursor(box.document());
    cursor.setPosition(joins[2] + 5);
    cursor.insertBlock();
    const QByteArray written = rtf::write(*box.document());
    QCOMPARE(written.count("\\par\r\n"), 3);
    QTextDocument reread;
    QVERIFY(rtf::read(written, &reread));
    QCOMPARE(reread.blockCount(), 3);
    QCOMPARE(reread.toPlainText().remove(u'\n'), QString(text + QStringLiteral("second")));
}

namespace {

// About a megabyte: far more than Qt lays out in a step, and past the paged size.
QString largeText(bool lines) {
    QString text;
    for (int i = 0; text.size() < 16 * longparagraphs::kMaxPieceLength; ++i)
        text += lines ? QStringLiteral("line %1\n").arg(i) : QStringLiteral("word%1 ").arg(i);
    return text;
}

// Characters in paragraphs that Qt has laid out.
qsizetype laidOut(const QTextDocument& doc) {
    qsizetype count = 0;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        if (block.layout()->lineCount() > 0) count += block.length();
    return count;
}

qsizetype longestParagraph(const QTextDocument& doc) {
    qsizetype longest = 0;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        longest = std::max<qsizetype>(longest, block.length() - 1);
    return longest;
}

// Laid out, paged and split as a large text must be right after it came in: Qt lays out an
// inserted text in full before the insert returns, and a paragraph of megabytes or a text past
// 8.4 million pixels unpaged never finishes.
void verifyHeld(const RichTextBox& box) {
    const QTextDocument& doc = *box.document();
    QCOMPARE_LE(longestParagraph(doc), qsizetype(longparagraphs::kMaxPieceLength));
    QCOMPARE_GT(doc.pageSize().height(), 0.0);
    QCOMPARE_LT(laidOut(doc), 4 * qsizetype(longparagraphs::kMaxPieceLength));
}

bool laidOutToEnd(const RichTextBox& box) {
    return box.document()->lastBlock().layout()->lineCount() > 0;
}

}  // namespace

void Tst_richtextbox::largeTextIsLaidOutInSteps_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("lines");
    for (const char* way : {"set", "rtf", "paste", "capture"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1, one paragraph").arg(way))) << way << false;
        QTest::newRow(qPrintable(QStringLiteral("%1, short lines").arg(way))) << way << true;
    }
}

// Every way a text comes in holds the layout until the text is split and paged, and leaves the
// insertion point where the text began; a key pressed while the rest is laid out in the
// background must not end that layout early (Qt then never lays out what follows).
void Tst_richtextbox::largeTextIsLaidOutInSteps() {
    QFETCH(QString, way);
    QFETCH(bool, lines);
    const QString text = largeText(lines);
    RichTextBox box;
    QVERIFY(shownAt(box, 300, 250));
    box.replaceText(QStringLiteral("before"));
    box.setSelectionStart(3);
    if (way == u"set") {
        box.replaceText(text);
    } else if (way == u"rtf") {
        QByteArray rtfText = "{\\rtf1\\ansi " + text.toLatin1() + "}";
        rtfText.replace("\n", "\\par ");
        QVERIFY(box.loadRtf(rtfText));
    } else if (way == u"paste") {
        QApplication::clipboard()->setText(text);
        box.paste();
    } else {
        box.appendText(text);
    }
    verifyHeld(box);
    QString expected = text;
    expected.replace(u'\n', QStringLiteral("\r\n"));
    if (way == u"paste") expected = QStringLiteral("bef") + expected + QStringLiteral("ore");
    if (way == u"capture") expected = QStringLiteral("before\r\n") + expected;
    if (lines && way == u"rtf") expected.chop(2);  // the last \par ends the paragraph
    QCOMPARE(box.text().size(), expected.size());
    QVERIFY(box.text() == expected);
    QCOMPARE(box.selectionStart(), way == u"set" || way == u"rtf" ? 0 : 3);

    QTest::keyClick(&box, Qt::Key_Z);
    QTRY_VERIFY_WITH_TIMEOUT(laidOutToEnd(box), 60'000);
    QCOMPARE(laidOut(*box.document()), qsizetype(box.document()->characterCount()));
}

// An undo or redo of a large paste holds the layout as the paste did, and its pieces come back
// as one paragraph.
void Tst_richtextbox::largePasteUndoneAndRedoneInSteps() {
    RichTextBox box;
    QVERIFY(shownAt(box, 300, 250));
    box.replaceText(QStringLiteral("before"));
    const QString text = largeText(false);
    QApplication::clipboard()->setText(text);
    box.paste();
    QTRY_VERIFY_WITH_TIMEOUT(laidOutToEnd(box), 60'000);
    box.undoHoldingLayout();
    QCOMPARE(box.text(), QStringLiteral("before"));
    box.redoHoldingLayout();
    verifyHeld(box);
    QCOMPARE(box.text(), text + QStringLiteral("before"));
    QCOMPARE(box.selectionStart(), 0);
    // The keys do the same as the menu.
    QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(box.text(), QStringLiteral("before"));
    QTest::keyClick(&box, Qt::Key_Y, Qt::ControlModifier);
    verifyHeld(box);
}

QTEST_MAIN(Tst_richtextbox)
#include "tst_richtextbox.moc"
