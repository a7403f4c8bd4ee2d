// Loading and saving a note of about 1 MB of RTF (formatted Chinese and ASCII text, bullets,
// alignment, 20 pictures) against QTextDocument's own HTML import and export of the same
// document, measured in the same run.

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "rtf/rtf.h"

namespace {

void buildDocument(QTextDocument* doc) {
    static const QString words[] = {
        QStringLiteral("便签"),
        QStringLiteral("notes"),
        QStringLiteral("会议纪要"),
        QStringLiteral("tomorrow"),
        QStringLiteral("提醒我"),
        QStringLiteral("the quick brown fox"),
        QStringLiteral("购物清单：牛奶、面包"),
        QStringLiteral("deadline 17:00"),
        QStringLiteral("项目进度"),
        QStringLiteral("{braces} and \\backslash"),
    };
    static const QColor colours[] = {Qt::black, Qt::red, Qt::darkBlue, QColor(0, 128, 0)};
    static const QString families[] = {QStringLiteral("宋体"), QStringLiteral("Arial"),
                                       QStringLiteral("Microsoft YaHei")};
    QTextCursor c(doc);
    int pictures = 0;
    for (int p = 0; p < 2400; ++p) {
        QTextBlockFormat block;
        block.setAlignment(p % 7 == 0    ? Qt::AlignHCenter
                           : p % 11 == 0 ? Qt::AlignRight
                                         : Qt::AlignLeft);
        if (p % 5 == 0) block.setBottomMargin(4);
        if (p > 0)
            c.insertBlock(block);
        else
            c.setBlockFormat(block);
        if (p % 9 < 3) {
            if (p % 9 == 0)
                c.createList(p % 2 ? QTextListFormat::ListDecimal : QTextListFormat::ListDisc);
            else if (QTextList* previous = c.block().previous().textList())
                previous->add(c.block());
        }
        for (int r = 0; r < 6; ++r) {
            const int k = p * 7 + r;
            QTextCharFormat f;
            f.setFontWeight(k % 3 == 0 ? QFont::Bold : QFont::Normal);
            f.setFontItalic(k % 4 == 1);
            f.setFontUnderline(k % 13 == 0);
            f.setFontPointSize(9 + k % 4 * 1.5);
            f.setFontFamilies({families[k % 3]});
            f.setForeground(colours[k % 4]);
            if (k % 17 == 0) f.setBackground(QColor(Qt::yellow));
            c.insertText(words[k % 10] + u' ', f);
        }
        if (p % 120 == 60 && pictures < 20) {
            QImage image(96, 64, QImage::Format_RGB32);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    image.setPixel(x, y,
                                   qRgb((x * 3 + pictures * 40) & 0xFF, y * 4 & 0xFF,
                                        (x ^ y) * pictures & 0xFF));
            const QString name =
                rtf::imageName(QByteArray(QByteArray::number(pictures) + "bench picture"));
            doc->addResource(QTextDocument::ImageResource, QUrl(name), image);
            QTextImageFormat f;
            f.setName(name);
            f.setWidth(96);
            f.setHeight(64);
            c.insertImage(f);
            ++pictures;
        }
    }
}

double medianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QTextDocument doc;
    buildDocument(&doc);
    const QByteArray rtfBytes = rtf::write(doc);
    const QString html = doc.toHtml();
    std::printf("document: %d characters, %d paragraphs; RTF %.2f MB, HTML %.2f MB\n",
                doc.characterCount(), doc.blockCount(), rtfBytes.size() / 1048576.0,
                html.toUtf8().size() / 1048576.0);

    const int runs = 7;
    const double readRtf = medianMs(runs, [&] {
        QTextDocument d;
        rtf::read(rtfBytes, &d);
    });
    const double readHtml = medianMs(runs, [&] {
        QTextDocument d;
        d.setHtml(html);
    });
    const double writeRtf = medianMs(runs, [&] { (void)rtf::write(doc); });
    const double writeHtml = medianMs(runs, [&] { (void)doc.toHtml(); });

    std::printf("load: rtf::read %.1f ms, setHtml %.1f ms, ratio %.2f\n", readRtf, readHtml,
                readRtf / readHtml);
    std::printf("save: rtf::write %.1f ms, toHtml %.1f ms, ratio %.2f\n", writeRtf, writeHtml,
                writeRtf / writeHtml);
    return 0;
}
