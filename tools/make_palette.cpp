// Writes the icon palette: the SVG pictures of a folder, in file-name order, as one RTF document
// of our own writer, a row of pictures per paragraph with two spaces between them.
//
//   make_palette resources/palette resources/kvz.dat

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <cstdio>

#include "rtf/rtf.h"

namespace {

constexpr int kShownSize = 16;  // logical pixels in the note
// Drawn at twice the shown size: sharp on a 2x screen, and scaled down smoothly on a 1x one.
constexpr int kPixels = 2 * kShownSize;
constexpr int kPerRow = 9;  // fits the palette window, 305 pixels wide

int fail(const QString& message) {
    std::fprintf(stderr, "make_palette: %s\n", qPrintable(message));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Nothing is shown: no display needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) return fail(QStringLiteral("usage: make_palette <svg folder> <output.dat>"));

    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const QStringList files = folder.entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
    if (files.isEmpty()) return fail(QStringLiteral("no SVG files in ") + folder.path());

    // The program's text font, so that the spaces between pictures are as a note's text.
    const QFont font(QStringLiteral("宋体"), 9);
    QTextDocument doc;
    doc.setDefaultFont(font);
    QTextCharFormat space;
    space.setFontFamilies({font.family()});
    space.setFontPointSize(font.pointSizeF());

    QTextCursor cursor(&doc);
    for (qsizetype i = 0; i < files.size(); ++i) {
        QSvgRenderer svg(folder.filePath(files[i]));
        if (!svg.isValid()) return fail(QStringLiteral("cannot read ") + files[i]);
        QImage image(kPixels, kPixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        svg.render(&painter);
        painter.end();

        // Named as the reader names a picture, by its PNG bytes.
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        const QString name = rtf::imageName(png);
        doc.addResource(QTextDocument::ImageResource, QUrl(name), image);

        if (i > 0) {
            if (i % kPerRow == 0)
                cursor.insertBlock();
            else
                cursor.insertText(QStringLiteral("  "), space);
        }
        QTextImageFormat picture;
        picture.setName(name);
        picture.setWidth(kShownSize);
        picture.setHeight(kShownSize);
        cursor.insertImage(picture);
    }

    QSaveFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(rtf::write(doc)) < 0 || !out.commit())
        return fail(QStringLiteral("cannot write ") + out.fileName());
    std::printf("%lld pictures\n", static_cast<long long>(files.size()));
    return 0;
}
