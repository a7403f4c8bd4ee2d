// A picture in a note: pasted from the clipboard, then keys typed beside it, each repainted at
// once, then the note captured and written as a save does; against the same note with a picture
// of the note's own size, in the same run. The largest picture a note takes (16 megapixels) and
// a screenshot are timed.
//
// bench_picture [rounds]   (20 keys by default)
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPainter>
#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "richtext/richtextbox.h"
#include "rtf/rtf.h"

namespace {

double ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// Something like a screen: text-like detail that a plain PNG encoder does not squeeze to nothing.
QImage picture(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    for (int y = 0; y < h; y += 17) {
        p.setPen(QColor::fromHsv((y / 17 * 37) % 360, 160, 120));
        p.drawText(4, y + 14, QStringLiteral("第 %1 行 a line of a screenshot, with words").arg(y));
    }
    return image;
}

struct Figures {
    double paste = 0, key = 0, keyWorst = 0, save = 0;
};

Figures run(const QImage& image, int keys) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/png"), png);
    QGuiApplication::clipboard()->setMimeData(mime);

    RichTextBox box;
    box.resize(230, 180);
    box.show();
    (void)QTest::qWaitForWindowExposed(&box);
    box.replaceText(QStringLiteral("创建：26/12/10 9:5:3\r\n"));
    box.moveCursor(QTextCursor::End);
    Figures f;
    QElapsedTimer t;
    t.start();
    box.paste();
    box.viewport()->repaint();
    f.paste = ms(t);
    for (int i = 0; i < keys; ++i) {
        t.restart();
        QTest::keyClick(&box, Qt::Key_A);
        box.viewport()->repaint();
        const double one = ms(t);
        f.key += one / keys;
        f.keyWorst = std::max(f.keyWorst, one);
    }
    t.restart();
    const QByteArray rtf = rtf::write(rtf::capture(*box.document()));
    f.save = ms(t);
    std::printf("  %dx%d: RTF %.1f MB\n", image.width(), image.height(),
                double(rtf.size()) / 1048576.0);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int keys = argc > 1 ? std::atoi(argv[1]) : 20;
    const Figures base = run(picture(220, 160), keys);
    std::printf("baseline (a picture the note's size): paste %.1f ms, key %.2f ms, save %.1f ms\n",
                base.paste, base.key, base.save);
    for (const QSize size : {QSize(1920, 1080), QSize(4096, 4096)}) {
        const Figures f = run(picture(size.width(), size.height()), keys);
        std::printf("%dx%d: paste %.1fx, key %.2fx (worst %.2fx), save %.1fx\n", size.width(),
                    size.height(), f.paste / base.paste, f.key / base.key, f.keyWorst / base.key,
                    f.save / base.save);
    }
    return 0;
}
