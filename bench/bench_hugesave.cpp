// Saving a note of tens of megabytes of Chinese text: how long the GUI thread is held by a
// save in the background (the autosave), against the same save made at once on the GUI thread
// (the exit's), in the same run. While the background save runs, a 10 ms timer on the GUI
// thread measures the longest wait between two of its ticks.
//
// bench_hugesave [megabytes]   (50 by default)
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "notebook/notebook.h"

namespace {

double ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

QString sample(qsizetype megabytes, bool lines) {
    const QString unit = lines ? QStringLiteral("会议纪要：明天下午三点，项目进度 notes\n")
                               : QStringLiteral("会议纪要明天下午三点项目进度提醒我 notes ");
    const QString chunk = unit.repeated(1000);
    const qsizetype chunkBytes = chunk.toUtf8().size();
    return chunk.repeated(int(megabytes * 1024 * 1024 / chunkBytes) + 1);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const qsizetype megabytes = argc > 1 ? std::atoll(argv[1]) : 50;
    for (bool lines : {false, true}) {
        QTextDocument doc;
        doc.setUndoRedoEnabled(false);
        QTextCursor(&doc).insertText(sample(megabytes, lines));
        QTemporaryDir dir;
        Notebook book(dir.path(), dir.filePath(QStringLiteral("snapshots")), 7);
        const QList<Notebook::Page> pages{{1, Note{}, &doc}};

        book.contentChanged(1);
        book.changed();
        QElapsedTimer t;
        t.start();
        if (!book.save(pages, Switches{})) qFatal("the save failed");
        const double atOnce = ms(t);

        book.contentChanged(1);
        book.changed();
        double longestGap = 0;
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setInterval(10);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, ms(sinceTick));
            sinceTick.restart();
        });
        bool saved = false;
        QObject::connect(&book, &Notebook::finished, [&](bool ok) {
            saved = ok;
            app.quit();
        });
        t.restart();
        if (!book.saveInBackground(pages, Switches{})) qFatal("no background save");
        const double held = ms(t);
        sinceTick.start();
        ticker.start();
        app.exec();
        const double whole = ms(t);
        if (!saved) qFatal("the background save failed");

        std::printf("%lld MB of Chinese text as %s\n", static_cast<long long>(megabytes),
                    lines ? "short lines" : "one paragraph");
        std::printf("  save at once on the GUI thread (baseline): %8.1f ms\n", atOnce);
        std::printf("  background save, GUI thread held to start: %8.1f ms  %.2fx\n", held,
                    held / atOnce);
        std::printf("  background save, longest tick gap after:   %8.1f ms  %.2fx\n", longestGap,
                    longestGap / atOnce);
        std::printf("  background save, start to finished:        %8.1f ms  %.2fx\n", whole,
                    whole / atOnce);
        std::fflush(stdout);
    }
    return 0;
}
