// The floor for the start-up benchmark: what any Qt program pays to show the same notes as
// plain windows. Each line of the file is "x<TAB>y<TAB>text" in pixels; one frameless tool
// window with a QTextEdit of a note's size per line, shown one after another.
// Usage: floor_windows FILE
#include <QApplication>
#include <QFile>
#include <QTextEdit>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: floor_windows FILE\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    std::vector<QTextEdit*> windows;  // live until the process is killed
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() < 3) continue;
        auto* edit = new QTextEdit();
        edit->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        edit->setPlainText(QString::fromUtf8(fields[2]));
        edit->setGeometry(fields[0].toInt(), fields[1].toInt(), 223, 160);
        // Stored notes come up without taking the focus; 500 focus changes would cost the
        // window manager and the X server more than the windows do.
        edit->setAttribute(Qt::WA_ShowWithoutActivating);
        edit->show();
        windows.push_back(edit);
    }
    return QApplication::exec();
}
