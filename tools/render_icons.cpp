// Renders the program icon into the hicolor PNG sizes: the master drawing for 32 px and up, the
// simplified one for the small sizes, where the master's detail would blur.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

namespace {

bool renderPng(const QString& svg, int size, const QString& png) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) return false;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    return image.save(png, "PNG");
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        err << "usage: render_icons MASTER.svg SMALL.svg OUTPUT-FOLDER\n";
        return 2;
    }
    const QString& master = args.at(1);
    const QString& small = args.at(2);
    const QDir out(args.at(3));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        err << "cannot make " << out.path() << '\n';
        return 1;
    }
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString png = out.filePath(QStringLiteral("jotpin-%1.png").arg(size));
        if (!renderPng(size <= 24 ? small : master, size, png)) {
            err << "cannot render " << (size <= 24 ? small : master) << " into " << png << '\n';
            return 1;
        }
    }
    return 0;
}
